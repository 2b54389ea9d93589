// The device's and the exposure's facts in the save window: shown read-only where the measured
// image gives them, typed where the values were typed by hand or the image does not say.
#pragma once

#include <QString>
#include <optional>
#include <string_view>
#include <vector>

#include "record/session_saving.h"

class QFormLayout;
class QLineEdit;

namespace record_windows {

class FactFields {
 public:
  // Adds the device's rows to device and the exposure's to exposure, filled from entry; a typed
  // entry's acquisition date starts as today.
  FactFields(const record::MeasuredImage& entry, QFormLayout* device, QFormLayout* exposure);

  struct Problem {
    QString message;  // in German
    QLineEdit* field;
  };
  // The first typed value the record cannot take: a required one missing, a number that is no
  // number greater than 0 (a decimal comma said as such), a date that is no date or lies ahead.
  std::optional<Problem> check() const;

  // entry's facts with the typed values; a typed mAs is marked as typed.
  void fillIn(record::MeasuredImage& entry) const;

  // The first field to type in; none where the image gives every fact.
  QLineEdit* firstToType() const { return fields_.empty() ? nullptr : fields_.front().edit; }

 private:
  struct Field {
    std::string_view key;
    QLineEdit* edit;
  };
  std::vector<Field> fields_;
};

}  // namespace record_windows
