// Choosing the measurements whose mean becomes a reference value: the device's measurements at
// one thickness in a period, several selected, their exact mean shown with n as the choice
// changes.
#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "record/history.h"
#include "record/reference_values.h"

class QDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;

namespace record_windows {

class MeanPickerDialog : public QDialog {
 public:
  // quantity: "sdnr" or "mas". Raises record::RecordError for a device the record does not know
  // or a thickness that is no number.
  MeanPickerDialog(record::RecordDatabase& database, const record::DeviceChoice& device,
                   const QString& thickness, const QString& quantity, QWidget* parent = nullptr);

  // The chosen measurements and their mean, once accepted.
  const std::vector<qint64>& chosen() const { return chosen_; }
  const record::Mean& mean() const { return mean_; }

 private:
  void showMeasurements();
  void showMean();

  record::RecordDatabase& database_;
  record::DeviceChoice device_;
  qint64 deviceId_;
  QString thickness_;
  QString quantity_;
  std::vector<record::HistoryRow> rows_;
  std::vector<qint64> chosen_;
  record::Mean mean_;
  QDateEdit* from_ = nullptr;
  QDateEdit* to_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* meanLabel_ = nullptr;
  QPushButton* acceptButton_ = nullptr;
};

}  // namespace record_windows
