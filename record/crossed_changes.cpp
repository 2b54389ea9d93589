#include "crossed_changes.h"

#include "entries_in_words.h"
#include "query_texts.h"
#include "record_error.h"

namespace record {
namespace {

[[noreturn]] void refuse(const QString& what, const QString& entered) {
  throw RecordConflict(QStringLiteral("Inzwischen wurde %1 erfasst: %2. Die Eingabe wurde nicht "
                                      "gespeichert. Bitte den neuen Stand prüfen und sie danach, "
                                      "falls sie trotzdem gelten soll, erneut hinzufügen.")
                           .arg(what, entered)
                           .toStdString());
}

// "column IS NULL" or "column = ?" with the value: an equality that holds for two nulls as well,
// in SQL that every database reads alike.
QString sameAs(const QString& column, const QVariant& value, QVariantList& values) {
  if (value.isNull()) return column + QStringLiteral(" IS NULL");
  values << value;
  return column + QStringLiteral(" = ?");
}

}  // namespace

void RefuseCrossedReference(RecordDatabase& database, qint64 device, const QString& thickness,
                            const QString& quantity, qint64 seenUpTo) {
  QSqlQuery newer = database.run(
      QStringLiteral("SELECT value, source, valid_from, recorded_at, mean_of FROM "
                     "reference_values WHERE device_id = ? AND thickness_mm = ? AND quantity = ? "
                     "AND id > ? ORDER BY id DESC LIMIT 1"),
      {device, thickness, quantity, seenUpTo});
  if (!newer.next()) return;
  ReferenceEntry entry;
  ReadTexts(newer, 0,
            {&entry.value, &entry.source, &entry.validFrom, &entry.recordedAt, &entry.meanOf});
  refuse(QStringLiteral("für dasselbe Gerät, dieselbe Dicke und dieselbe Größe ein neuer "
                        "Bezugswert"),
         ReferenceInWords(entry));
}

void RefuseCrossedToleranceRule(RecordDatabase& database, const QString& quantity,
                                const QVariant& device, const QVariant& thickness,
                                qint64 seenUpTo) {
  QVariantList values = {quantity};
  // One after the other: the values are bound in this order.
  const QString sameDevice = sameAs(QStringLiteral("device_id"), device, values);
  const QString sameThickness = sameAs(QStringLiteral("thickness_mm"), thickness, values);
  values << seenUpTo;
  QSqlQuery newer = database.run(
      QStringLiteral("SELECT below_percent, above_percent, minimum, maximum, source, recorded_at "
                     "FROM tolerance_rules WHERE quantity = ? AND %1 AND %2 AND id > ? "
                     "ORDER BY id DESC LIMIT 1")
          .arg(sameDevice, sameThickness),
      values);
  if (!newer.next()) return;
  ToleranceEntry entry;
  ReadTexts(newer, 0,
            {&entry.belowPercent, &entry.abovePercent, &entry.minimum, &entry.maximum,
             &entry.source, &entry.recordedAt});
  entry.inWords =
      ToleranceInWords(entry.belowPercent, entry.abovePercent, entry.minimum, entry.maximum);
  refuse(QStringLiteral("eine neue Toleranzregel mit demselben Geltungsbereich (Größe, Gerät, "
                        "Dicke)"),
         ToleranceRuleInWords(entry));
}

}  // namespace record
