// Datei → "Bezugswerte…": the reference values and tolerance rules with their history, each on a
// page of its own with a form that adds one. Nothing is changed or deleted.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>

#include "record/record_database.h"

// A window of the program, as the main window is; its parts live in namespace record_windows.
class ReferenceValuesWindow : public QDialog {
 public:
  // Opens the record at recordPath; raises record::RecordError where there is none or it cannot
  // be read.
  explicit ReferenceValuesWindow(const QString& recordPath, QWidget* parent = nullptr);

 private:
  std::unique_ptr<record::RecordDatabase> database_;
};
