#include "reference_values.h"

#include <QDate>
#include <QDateTime>
#include <algorithm>
#include <optional>

#include "crossed_changes.h"
#include "entered_values.h"
#include "exact_decimal.h"
#include "query_texts.h"
#include "record_error.h"

namespace record {
namespace {

const ExactDecimal Zero = *ExactDecimal::Parse("0");
const ExactDecimal Hundred = *ExactDecimal::Parse("100");
const ExactDecimal One = *ExactDecimal::Parse("1");

int compare(const ExactDecimal& a, const ExactDecimal& b) {
  return SignOfSum({{One, a}, {One, b.negated()}});
}

std::optional<ExactDecimal> optionalNumber(const QString& text, const std::string& what) {
  if (text.trimmed().isEmpty()) return std::nullopt;
  return EnteredNumber(text, what);
}

ExactDecimal positive(const QString& text, const std::string& what) {
  const ExactDecimal value = EnteredNumber(text, what);
  if (compare(value, Zero) <= 0)
    throw RecordError(what + ": „" + text.toStdString() + "“ muss größer als 0 sein.");
  return value;
}

QString quantityOf(const QString& quantity) {
  if (quantity != QLatin1String("sdnr") && quantity != QLatin1String("mas")) {
    throw RecordError("Die Größe „" + quantity.toStdString() +
                      "“ kennt der QA-Record nicht: sdnr oder mas.");
  }
  return quantity;
}

QString sourceOf(const QString& source) {
  const QString trimmed = source.trimmed();
  if (trimmed.isEmpty()) {
    throw RecordError(
        "Die Quelle fehlt: woher der Wert stammt, z. B. „Abnahmeprüfung 2026-03-02, "
        "Protokoll 17“.");
  }
  return trimmed;
}

QString dateOf(const QString& text) {
  return text.isEmpty() ? QDate::currentDate().toString(Qt::ISODate)
                        : EnteredDate(text, "Gültig ab");
}

QString text(const ExactDecimal& value) {
  return QString::fromStdString(value.text());
}

QString now() {
  return QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
}

// The mean of the reference's measurements; a value typed besides must be the same number.
QString meanAsReference(RecordDatabase& database, qint64 device, const QString& thickness,
                        const NewReference& reference) {
  const QString mean =
      MeanOf(database, device, thickness, reference.quantity, reference.meanOf).value;
  const ExactDecimal value = *ExactDecimal::Parse(mean.toStdString());
  if (compare(value, Zero) <= 0)
    throw RecordError("Der Mittelwert " + mean.toStdString() + " taugt nicht als Bezugswert.");
  if (!reference.value.trimmed().isEmpty() &&
      compare(EnteredNumber(reference.value, "Bezugswert"), value) != 0) {
    throw RecordError("Der Bezugswert " + reference.value.toStdString() +
                      " ist nicht der Mittelwert der Messungen (" + mean.toStdString() + ").");
  }
  return mean;
}

}  // namespace

Mean MeanOf(RecordDatabase& database, qint64 device, const QString& thickness,
            const QString& quantity, const std::vector<qint64>& measurements) {
  const QString wantedThickness = text(positive(thickness, "Dicke"));
  const bool sdnr = quantityOf(quantity) == QLatin1String("sdnr");
  std::vector<ExactDecimal> values;
  for (std::size_t i = 0; i < measurements.size(); ++i) {
    const std::string name = "Messung " + std::to_string(measurements[i]);
    if (std::find(measurements.begin(), measurements.begin() + i, measurements[i]) !=
        measurements.begin() + i)
      throw RecordError(name + " ist zweimal genannt.");
    QSqlQuery found = database.run(
        QStringLiteral("SELECT i.device_id, i.thickness_mm, m.sdnr, i.exposure_mas, "
                       "EXISTS (SELECT 1 FROM amendments a WHERE a.measurement_id = m.id AND "
                       "(a.kind = 'void' OR a.replacement_id IS NOT NULL)) "
                       "FROM measurements m JOIN images i ON i.id = m.image_id WHERE m.id = ?"),
        {measurements[i]});
    if (!found.next()) throw RecordError(name + " gibt es im QA-Record nicht.");
    if (found.value(0).toLongLong() != device || found.value(1).toString() != wantedThickness)
      throw RecordError(name + " gehört zu einem anderen Gerät oder einer anderen Dicke.");
    if (found.value(4).toBool())
      throw RecordError(name + " ist ungültig oder ersetzt und zählt für keinen Mittelwert.");
    values.push_back(
        EnteredNumber(found.value(sdnr ? 2 : 3).toString(), name + (sdnr ? " (SDNR)" : " (mAs)")));
  }
  const std::optional<ExactDecimal> mean = ExactDecimal::RoundedMean(values, 2);
  if (!mean) throw RecordError("Für einen Mittelwert fehlen die Messungen.");
  return {text(*mean), static_cast<int>(values.size())};
}

qint64 AddReference(RecordDatabase& database, const NewReference& reference,
                    std::optional<qint64> seenUpTo) {
  WriteTransaction transaction(database);
  const qint64 device = FindDevice(database, reference.device);
  const QString thickness = text(positive(reference.thickness, "Dicke"));
  const QString quantity = quantityOf(reference.quantity);
  QString value;
  QString meanOf = QStringLiteral("");
  if (reference.meanOf.empty()) {
    value = text(positive(reference.value, "Bezugswert"));
  } else {
    value = meanAsReference(database, device, thickness, reference);
    QStringList ids;
    for (const qint64 id : reference.meanOf) ids << QString::number(id);
    meanOf = ids.join(QLatin1Char(','));
  }
  if (seenUpTo) RefuseCrossedReference(database, device, thickness, quantity, *seenUpTo);
  const qint64 id = database.insert(
      QStringLiteral("INSERT INTO reference_values (device_id, thickness_mm, quantity, value, "
                     "source, valid_from, recorded_at, mean_of) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
      {device, thickness, quantity, value, sourceOf(reference.source), dateOf(reference.validFrom),
       now(), meanOf});
  transaction.commit();
  return id;
}

qint64 AddToleranceRule(RecordDatabase& database, const NewToleranceRule& rule,
                        std::optional<qint64> seenUpTo) {
  const std::optional<ExactDecimal> below = optionalNumber(rule.belowPercent, "Prozent darunter");
  const std::optional<ExactDecimal> above = optionalNumber(rule.abovePercent, "Prozent darüber");
  const std::optional<ExactDecimal> minimum = optionalNumber(rule.minimum, "Minimum");
  const std::optional<ExactDecimal> maximum = optionalNumber(rule.maximum, "Maximum");
  if (!below && !above && !minimum && !maximum) {
    throw RecordError(
        "Die Toleranz braucht mindestens eine Grenze: Prozent darunter oder darüber, Minimum "
        "oder Maximum.");
  }
  if ((below && (compare(*below, Zero) < 0 || compare(*below, Hundred) > 0)) ||
      (above && compare(*above, Zero) < 0)) {
    throw RecordError(
        "Prozentgrenzen werden positiv angegeben (10 heißt −10 % bzw. +10 %), darunter "
        "höchstens 100.");
  }
  if (minimum && maximum && compare(*minimum, *maximum) > 0)
    throw RecordError("Das Minimum liegt über dem Maximum.");
  const auto orNull = [](const std::optional<ExactDecimal>& value) {
    return value ? QVariant(text(*value)) : QVariant();
  };

  WriteTransaction transaction(database);
  const QVariant device =
      rule.device.serialNumber.isEmpty() ? QVariant() : QVariant(FindDevice(database, rule.device));
  const QVariant thickness = rule.thickness.trimmed().isEmpty()
                                 ? QVariant()
                                 : QVariant(text(positive(rule.thickness, "Dicke")));
  const QString quantity = quantityOf(rule.quantity);
  if (seenUpTo) RefuseCrossedToleranceRule(database, quantity, device, thickness, *seenUpTo);
  const qint64 id = database.insert(
      QStringLiteral("INSERT INTO tolerance_rules (quantity, device_id, thickness_mm, "
                     "below_percent, above_percent, minimum, maximum, source, recorded_at) "
                     "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
      {quantity, device, thickness, orNull(below), orNull(above), orNull(minimum), orNull(maximum),
       sourceOf(rule.source), now()});
  transaction.commit();
  return id;
}

std::vector<ReferenceEntry> ListReferences(RecordDatabase& database) {
  QSqlQuery query = database.run(QStringLiteral(
      "SELECT r.id, d.manufacturer, d.model, d.serial_number, r.thickness_mm, r.quantity, "
      "r.value, r.source, r.valid_from, r.recorded_at, r.mean_of, n.id, n.valid_from "
      "FROM reference_values r JOIN devices d ON d.id = r.device_id "
      "LEFT JOIN reference_values n ON n.id = (SELECT id FROM reference_values x "
      "WHERE x.device_id = r.device_id AND x.thickness_mm = r.thickness_mm AND "
      "x.quantity = r.quantity AND (x.valid_from > r.valid_from OR "
      "(x.valid_from = r.valid_from AND (x.recorded_at > r.recorded_at OR "
      "(x.recorded_at = r.recorded_at AND x.id > r.id)))) "
      "ORDER BY x.valid_from, x.recorded_at, x.id LIMIT 1) "
      "ORDER BY r.valid_from DESC, r.recorded_at DESC, r.id DESC"));
  std::vector<ReferenceEntry> entries;
  while (query.next()) {
    ReferenceEntry entry;
    entry.id = query.value(0).toLongLong();
    ReadTexts(
        query, 1,
        {&entry.manufacturer, &entry.model, &entry.serialNumber, &entry.thickness, &entry.quantity,
         &entry.value, &entry.source, &entry.validFrom, &entry.recordedAt, &entry.meanOf});
    entry.supersededBy = query.value(11).toLongLong();
    ReadTexts(query, 12, {&entry.supersededFrom});
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<ToleranceEntry> ListToleranceRules(RecordDatabase& database) {
  QSqlQuery query = database.run(QStringLiteral(
      "SELECT t.id, t.quantity, d.manufacturer, d.model, d.serial_number, t.thickness_mm, "
      "t.below_percent, t.above_percent, t.minimum, t.maximum, t.source, t.recorded_at, "
      "(SELECT x.id FROM tolerance_rules x WHERE x.quantity = t.quantity AND "
      "x.device_id IS NOT DISTINCT FROM t.device_id AND "
      "x.thickness_mm IS NOT DISTINCT FROM t.thickness_mm AND "
      "(x.recorded_at > t.recorded_at OR (x.recorded_at = t.recorded_at AND x.id > t.id)) "
      "ORDER BY x.recorded_at, x.id LIMIT 1) "
      "FROM tolerance_rules t LEFT JOIN devices d ON d.id = t.device_id "
      "ORDER BY t.recorded_at DESC, t.id DESC"));
  std::vector<ToleranceEntry> entries;
  while (query.next()) {
    ToleranceEntry entry;
    entry.id = query.value(0).toLongLong();
    ReadTexts(query, 1,
              {&entry.quantity, &entry.manufacturer, &entry.model, &entry.serialNumber,
               &entry.thickness, &entry.belowPercent, &entry.abovePercent, &entry.minimum,
               &entry.maximum, &entry.source, &entry.recordedAt});
    entry.inWords =
        ToleranceInWords(entry.belowPercent, entry.abovePercent, entry.minimum, entry.maximum);
    entry.supersededBy = query.value(12).toLongLong();
    entries.push_back(std::move(entry));
  }
  return entries;
}

QString ToleranceInWords(const QString& belowPercent, const QString& abovePercent,
                         const QString& minimum, const QString& maximum) {
  QStringList parts;
  QStringList percent;
  if (!belowPercent.isEmpty()) percent << QStringLiteral("−%1 %").arg(belowPercent);
  if (!abovePercent.isEmpty()) percent << QStringLiteral("+%1 %").arg(abovePercent);
  if (!percent.isEmpty()) parts << percent.join(QStringLiteral(" / "));
  if (!minimum.isEmpty()) parts << QStringLiteral("min %1").arg(minimum);
  if (!maximum.isEmpty()) parts << QStringLiteral("max %1").arg(maximum);
  return parts.join(QStringLiteral("; "));
}

}  // namespace record
