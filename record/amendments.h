// Corrections and voided measurements: each a new row that names the measurement, with the
// reason, the operator and the time; the measurement itself stays as it was saved.
#pragma once

#include <QString>
#include <optional>

#include "record_database.h"

namespace record {

// Records that the measurement is corrected, for the reason given, and where a new measurement
// takes its place, which one. Gives the amendment's id. Raises RecordError for an unknown or
// voided measurement, an unknown replacement or the measurement as its own, and an empty reason
// or operator.
qint64 Correct(RecordDatabase& database, qint64 measurement, const QString& reason,
               const QString& operatorName, std::optional<qint64> replacement = std::nullopt);

// Records that the measurement is void (ungültig). Raises RecordError as Correct does, and for a
// measurement that is void already.
qint64 Void(RecordDatabase& database, qint64 measurement, const QString& reason,
            const QString& operatorName);

}  // namespace record
