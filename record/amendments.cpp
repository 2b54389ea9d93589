#include "amendments.h"

#include <QDateTime>

#include "record_error.h"

namespace record {
namespace {

bool exists(RecordDatabase& database, qint64 measurement) {
  return database.run(QStringLiteral("SELECT 1 FROM measurements WHERE id = ?"), {measurement})
      .next();
}

qint64 amend(RecordDatabase& database, qint64 measurement, const char* kind, const QString& reason,
             const QString& operatorName, std::optional<qint64> replacement) {
  const std::string name = "Messung " + std::to_string(measurement);
  if (reason.trimmed().isEmpty()) throw RecordError("Der Grund fehlt.");
  if (operatorName.trimmed().isEmpty()) throw RecordError("Der Prüfer fehlt.");
  WriteTransaction transaction(database);
  if (!exists(database, measurement)) throw RecordError(name + " gibt es im QA-Record nicht.");
  if (database
          .run(
              QStringLiteral("SELECT 1 FROM amendments WHERE measurement_id = ? AND kind = 'void'"),
              {measurement})
          .next()) {
    throw RecordError(name + " ist bereits ungültig.");
  }
  if (replacement && (*replacement == measurement || !exists(database, *replacement))) {
    throw RecordError("Die ersetzende Messung " + std::to_string(*replacement) +
                      (*replacement == measurement ? " ist dieselbe." : " gibt es nicht."));
  }
  const qint64 id = database.insert(
      QStringLiteral("INSERT INTO amendments (measurement_id, kind, replacement_id, reason, "
                     "operator, recorded_at) VALUES (?, ?, ?, ?, ?, ?)"),
      {measurement, QString::fromLatin1(kind), replacement ? QVariant(*replacement) : QVariant(),
       reason.trimmed(), operatorName.trimmed(),
       QDateTime::currentDateTimeUtc().toString(Qt::ISODate)});
  transaction.commit();
  return id;
}

}  // namespace

qint64 Correct(RecordDatabase& database, qint64 measurement, const QString& reason,
               const QString& operatorName, std::optional<qint64> replacement) {
  return amend(database, measurement, "correction", reason, operatorName, replacement);
}

qint64 Void(RecordDatabase& database, qint64 measurement, const QString& reason,
            const QString& operatorName) {
  return amend(database, measurement, "void", reason, operatorName, std::nullopt);
}

}  // namespace record
