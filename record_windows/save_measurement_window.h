// Datei → "Messung speichern…": the measurement in the main window's fields into the QA record,
// with its device and exposure, the operator (Prüfer), the phantom (Prüfmittel) and a remark;
// "Speichern" records it and shows the verdict.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>

#include "record/session_saving.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace record_windows {
class FactFields;
}

// A window of the program, as the main window is; its parts live in namespace record_windows.
class SaveMeasurementWindow : public QDialog {
 public:
  // entry: what the main window's fields hold (record_windows::EntryFromFields); recordPath: the
  // record it saves into, which is opened only to save.
  SaveMeasurementWindow(record::MeasuredImage entry, const QString& recordPath,
                        QWidget* parent = nullptr);
  ~SaveMeasurementWindow() override;

 private:
  QWidget* newMeasurementGroup() const;
  QWidget* newCheckGroup();
  // Raises record::RecordError where the record refuses; the window keeps every value then. A
  // team record's server out of reach keeps the save in the outbox.
  void save();
  // Once saved or waiting: the values stay as they were saved, "Schließen" closes.
  void endEditing();

  record::MeasuredImage entry_;
  QString recordPath_;
  // One for the window's life: a save tried again after a failure finds what an earlier try
  // kept, and makes no second session.
  QString clientKey_;
  std::unique_ptr<record_windows::FactFields> facts_;
  QLineEdit* operator_ = nullptr;
  QLineEdit* phantom_ = nullptr;
  QLineEdit* remark_ = nullptr;
  QLabel* verdict_ = nullptr;
  QPushButton* saveButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
};
