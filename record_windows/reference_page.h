// The reference values (Bezugswerte) with their history, newest first, and a form that adds one:
// typed, or the mean of chosen measurements. Nothing listed is ever changed: a new value
// supersedes the one before it from its date, and the old one stays in the list.
#pragma once

#include <QWidget>
#include <vector>

#include "record/reference_values.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace record_windows {

class DeviceBox;

class ReferencePage : public QWidget {
 public:
  ReferencePage(record::RecordDatabase& database, const std::vector<record::Device>& devices,
                QWidget* parent = nullptr);

 private:
  QWidget* newForm(const std::vector<record::Device>& devices);
  void showReferences();
  void chooseMean();
  void forgetMean();
  // Raises record::RecordError, in German, for what the record refuses; the form keeps it all.
  // Where someone else added a value for the same key since the list was shown, the list shows
  // it too.
  void add();

  record::RecordDatabase& database_;
  QTableWidget* table_ = nullptr;
  DeviceBox* device_ = nullptr;
  QLineEdit* thickness_ = nullptr;
  QComboBox* quantity_ = nullptr;
  QLineEdit* value_ = nullptr;
  QLabel* meanLabel_ = nullptr;
  QLineEdit* source_ = nullptr;
  QDateEdit* validFrom_ = nullptr;
  // The measurements whose mean the value is; empty for a typed value.
  std::vector<qint64> meanOf_;
  // The newest reference value listed: one for the same key recorded after it is a change the
  // user has not seen.
  qint64 shownUpTo_ = 0;
};

// Whether the reference value is in force on the day: "gilt", "gilt ab 01.04.2027" (not yet),
// "abgelöst am 02.03.2026", "gilt, abgelöst ab 01.04.2027" (superseded from a later day).
QString ReferenceStanding(const record::ReferenceEntry& entry, const QDate& today);

}  // namespace record_windows
