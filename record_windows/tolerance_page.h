// The tolerance rules with their history, newest first, and a form that adds one: per quantity,
// optionally per device and thickness, bounds in percent of the reference value and absolute
// ones. A new rule supersedes the one before it of the same scope; the old one stays listed.
#pragma once

#include <QWidget>
#include <vector>

#include "record/reference_values.h"

class QComboBox;
class QLineEdit;
class QTableWidget;

namespace record_windows {

class DeviceBox;

class TolerancePage : public QWidget {
 public:
  TolerancePage(record::RecordDatabase& database, const std::vector<record::Device>& devices,
                QWidget* parent = nullptr);

 private:
  QWidget* newForm(const std::vector<record::Device>& devices);
  void showRules();
  // Raises record::RecordError, in German, for what the record refuses; the form keeps it all.
  // Where someone else added a rule of the same scope since the list was shown, the list shows it
  // too.
  void add();

  record::RecordDatabase& database_;
  QTableWidget* table_ = nullptr;
  QComboBox* quantity_ = nullptr;
  DeviceBox* device_ = nullptr;
  QLineEdit* thickness_ = nullptr;
  QLineEdit* belowPercent_ = nullptr;
  QLineEdit* abovePercent_ = nullptr;
  QLineEdit* minimum_ = nullptr;
  QLineEdit* maximum_ = nullptr;
  QLineEdit* source_ = nullptr;
  // The newest rule listed, as on the reference values' page.
  qint64 shownUpTo_ = 0;
};

}  // namespace record_windows
