#include "entry_from_fields.h"

namespace record_windows {

record::MeasuredImage EntryFromFields(const std::optional<record::MeasuredImage>& taken,
                                      const std::array<QString, 4>& fields, const QString& sdnr) {
  if (taken) {
    const imaging::Measurement& m = taken->measurement;
    const std::array<QString, 4> takenTexts = {
        QString::fromStdString(m.aluminium.mean),
        QString::fromStdString(m.aluminium.standardDeviation),
        QString::fromStdString(m.background.mean),
        QString::fromStdString(m.background.standardDeviation)};
    if (fields == takenTexts) return *taken;
  }
  record::MeasuredImage typed;
  typed.typed = true;
  typed.automaticPlacement = false;
  imaging::Measurement& m = typed.measurement;
  m.aluminium.mean = fields[0].trimmed().toStdString();
  m.aluminium.standardDeviation = fields[1].trimmed().toStdString();
  m.background.mean = fields[2].trimmed().toStdString();
  m.background.standardDeviation = fields[3].trimmed().toStdString();
  m.sdnr = sdnr.trimmed().toStdString();
  return typed;
}

}  // namespace record_windows
