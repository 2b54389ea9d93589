#include "session_saving.h"

#include <QTimeZone>
#include <algorithm>
#include <tuple>

#include "exact_decimal.h"
#include "verdict.h"

namespace record {

std::string FactValue(const MeasuredImage& image, std::string_view key) {
  for (const imaging::HeaderFact& fact : image.facts) {
    if (fact.key == key) return fact.value;
  }
  return {};
}

namespace {

// Never a null string, which Qt would store as NULL: an empty text is an empty text.
QString notNull(const QString& text) {
  return text.isNull() ? QStringLiteral("") : text;
}

QString fromUtf8(const std::string& text) {
  return notNull(QString::fromStdString(text));
}

QString roiText(const imaging::Roi& roi) {
  return QStringLiteral("%1,%2,%3,%4").arg(roi.x).arg(roi.y).arg(roi.width).arg(roi.height);
}

// Thicknesses compare as numbers: "45" and "45.0" are the same.
QString thicknessKey(const std::string& text) {
  const std::optional<ExactDecimal> value = ExactDecimal::Parse(text);
  return fromUtf8(value ? value->text() : text);
}

std::optional<ExactDecimal> decimal(const QVariant& value) {
  if (value.isNull()) return std::nullopt;
  return ExactDecimal::Parse(value.toString().toStdString());
}

// The row's id where the select finds one, else that of the row the insert adds. Both within
// the write transaction, so no other writer comes between; and no id is spent on a row that is
// there already, as a server's counter would be by an insert that conflicts.
qint64 foundOrAdded(RecordDatabase& database, const QString& select, const QString& insert,
                    const QVariantList& key, const QVariantList& values) {
  QSqlQuery found = database.run(select, key);
  if (found.next()) return found.value(0).toLongLong();
  return database.insert(insert, values);
}

qint64 deviceId(RecordDatabase& database, const MeasuredImage& image) {
  const QVariantList identity = {fromUtf8(FactValue(image, "manufacturer")),
                                 fromUtf8(FactValue(image, "model")),
                                 fromUtf8(FactValue(image, "serial_number"))};
  return foundOrAdded(
      database,
      QStringLiteral(
          "SELECT id FROM devices WHERE manufacturer = ? AND model = ? AND serial_number = ?"),
      QStringLiteral("INSERT INTO devices (manufacturer, model, serial_number) VALUES (?, ?, ?)"),
      identity, identity);
}

struct InForce {
  QVariant referenceId;
  std::optional<ExactDecimal> reference;
  QString referenceMeanOf;  // the measurements the reference is the mean of, "12,13,14"
  QVariant toleranceId;
  std::optional<ToleranceRule> rule;
};

// The newest reference value valid on the exposure's date for the device and thickness, and the
// most specific newest SDNR tolerance rule for them. Newest is the one recorded last: in a record
// that another was copied into, a higher id need not be a later entry.
InForce inForce(RecordDatabase& database, qint64 device, const QString& thickness,
                const QString& onDate) {
  InForce found;
  QSqlQuery reference =
      database.run(QStringLiteral("SELECT id, value, mean_of FROM reference_values WHERE "
                                  "device_id = ? AND "
                                  "thickness_mm = ? AND quantity = 'sdnr' AND valid_from <= ? "
                                  "ORDER BY valid_from DESC, recorded_at DESC, id DESC LIMIT 1"),
                   {device, thickness, onDate});
  if (reference.next()) {
    found.referenceId = reference.value(0);
    found.reference = decimal(reference.value(1));
    found.referenceMeanOf = reference.value(2).toString();
  }
  QSqlQuery rule = database.run(
      QStringLiteral(
          "SELECT id, below_percent, above_percent, minimum, maximum FROM tolerance_rules "
          "WHERE quantity = 'sdnr' AND (device_id IS NULL OR device_id = ?) AND "
          "(thickness_mm IS NULL OR thickness_mm = ?) "
          "ORDER BY CASE WHEN device_id IS NULL THEN 0 ELSE 1 END + "
          "CASE WHEN thickness_mm IS NULL THEN 0 ELSE 1 END DESC, recorded_at DESC, id DESC "
          "LIMIT 1"),
      {device, thickness});
  if (rule.next()) {
    found.toleranceId = rule.value(0);
    found.rule = ToleranceRule{decimal(rule.value(1)), decimal(rule.value(2)),
                               decimal(rule.value(3)), decimal(rule.value(4))};
  }
  return found;
}

// "Bedingungen abweichend (…)" where the exposure's kV, anode or filter differ from the one the
// reference value was measured at; empty where they agree or the reference was typed, which
// names no exposure. The thickness always agrees: the reference is looked up by it.
std::string differingConditions(RecordDatabase& database, const QString& meanOf,
                                const MeasuredImage& image) {
  if (meanOf.isEmpty()) return {};
  QVariantList measurements;
  QStringList marks;
  for (const QString& id : meanOf.split(u',')) {
    measurements << id.toLongLong();
    marks << QStringLiteral("?");
  }
  std::string differences;
  for (const auto& [column, key, label] :
       {std::tuple{"kvp", "kvp", "kV"}, std::tuple{"anode", "anode", "Anode"},
        std::tuple{"filter", "filter", "Filter"}}) {
    QSqlQuery used = database.run(
        QStringLiteral("SELECT DISTINCT i.%1 FROM measurements m JOIN images i ON i.id = "
                       "m.image_id WHERE m.id IN (%2)")
            .arg(QString::fromLatin1(column), marks.join(u", ")),
        measurements);
    if (!used.next()) continue;
    const std::string reference = used.value(0).toString().toStdString();
    const std::string now = FactValue(image, key);
    // Measured at several settings, the reference names none to compare with.
    if (used.next() || reference == now) continue;
    differences += (differences.empty() ? "" : "; ") + std::string(label) + " " +
                   (now.empty() ? "?" : now) + " statt " + (reference.empty() ? "?" : reference);
  }
  return differences.empty() ? "" : "Bedingungen abweichend (" + differences + ")";
}

// The session's id: the one saved before under the same key, or a new one.
qint64 sessionId(RecordDatabase& database, const SessionEntry& session) {
  return foundOrAdded(
      database, QStringLiteral("SELECT id FROM sessions WHERE client_key = ?"),
      QStringLiteral(
          "INSERT INTO sessions (client_key, performed_at, time_zone, operator, phantom, "
          "kind, quantelo_version) VALUES (?, ?, ?, ?, ?, ?, ?)"),
      {session.clientKey},
      {session.clientKey, session.performedAt.toUTC().toString(Qt::ISODate),
       QString::fromUtf8(QTimeZone::systemTimeZoneId()), notNull(session.operatorName),
       notNull(session.phantom), notNull(session.kind), notNull(session.version)});
}

// The image's key in the record: its SOP Instance UID, or for typed values one made from the
// session's client key and the entry's place in the session.
QString imageKey(const SessionEntry& session, std::size_t place, const MeasuredImage& image) {
  if (image.typed) return QStringLiteral("von Hand:%1/%2").arg(session.clientKey).arg(place + 1);
  return fromUtf8(FactValue(image, "sop_instance_uid"));
}

SavedMeasurement refused(std::string why) {
  SavedMeasurement outcome;
  outcome.refusal = std::move(why);
  return outcome;
}

SavedMeasurement saveImage(RecordDatabase& database, qint64 session, const QString& sessionDate,
                           const QString& uid, const MeasuredImage& image) {
  if (uid.isEmpty())
    return refused("Die Aufnahme hat keine SOP Instance UID und wird nicht gespeichert.");
  QSqlQuery known = database.run(
      QStringLiteral("SELECT m.id, m.session_id, r.value, m.deviation_percent, m.verdict "
                     "FROM images i JOIN measurements m ON m.image_id = i.id "
                     "LEFT JOIN reference_values r ON r.id = m.reference_id "
                     "WHERE i.sop_instance_uid = ?"),
      {uid});
  if (known.next()) {
    // A retried save of this session finds what it saved; any other is refused.
    if (known.value(1).toLongLong() == session) {
      SavedMeasurement saved;
      saved.id = known.value(0).toLongLong();
      saved.reference = known.value(2).toString().toStdString();
      saved.deviationPercent = known.value(3).toString().toStdString();
      saved.verdict = known.value(4).toString().toStdString();
      return saved;
    }
    return refused("Die Aufnahme ist schon gespeichert (Messung " +
                   known.value(0).toString().toStdString() + ").");
  }
  const std::optional<ExactDecimal> sdnr = ExactDecimal::Parse(image.measurement.sdnr);
  if (!sdnr) {
    return refused("Das SDNR ist keine Zahl (" + image.measurement.sdnr +
                   ") und wird nicht gespeichert.");
  }
  const qint64 device = deviceId(database, image);
  const QString thickness = thicknessKey(FactValue(image, "thickness_mm"));
  // An exposure without its date is judged by the reference in force on the day of the check.
  const QString exposureDate = fromUtf8(FactValue(image, "acquisition_date"));
  const InForce force =
      inForce(database, device, thickness, exposureDate.isEmpty() ? sessionDate : exposureDate);
  const Evaluation evaluation = Evaluate(*sdnr, force.reference, force.rule);

  QVariantList values = {device, uid, fromUtf8(image.sha256)};
  for (const char* key :
       {"acquisition_date", "acquisition_time", "timezone_offset", "station", "detector_id",
        "software_versions", "kvp", "exposure_mas", "exposure_mas_source", "anode", "filter"}) {
    values << fromUtf8(FactValue(image, key));
  }
  values << thickness << fromUtf8(FactValue(image, "exposure_control_mode"))
         << fromUtf8(image.presentationIntent) << fromUtf8(FactValue(image, "pixel_spacing_mm"))
         << fromUtf8(image.rescaleSlope) << fromUtf8(image.rescaleIntercept);
  const qint64 imageRow = database.insert(
      QStringLiteral("INSERT INTO images (device_id, sop_instance_uid, sha256, acquisition_date, "
                     "acquisition_time, timezone_offset, station, detector_id, software_versions, "
                     "kvp, exposure_mas, exposure_mas_source, anode, filter, thickness_mm, "
                     "exposure_control_mode, presentation_intent, pixel_spacing, rescale_slope, "
                     "rescale_intercept) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                     "?, ?, ?, ?)"),
      values);
  const imaging::Measurement& m = image.measurement;
  // Typed values come without ROIs: none is claimed, whatever the entry holds.
  const bool withRois = !image.typed;
  const std::string conditions = differingConditions(database, force.referenceMeanOf, image);
  std::string warnings;
  for (const std::string& warning : image.warnings)
    warnings += (warnings.empty() ? "" : "\n") + warning;
  if (!conditions.empty()) warnings += (warnings.empty() ? "" : "\n") + conditions;
  const qint64 measurement = database.insert(
      QStringLiteral("INSERT INTO measurements (session_id, image_id, al_roi, bg_roi, n, m_al, "
                     "s_al, m_bg, s_bg, sdnr, placement, warnings, reference_id, tolerance_id, "
                     "deviation_percent, verdict, remark) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                     "?, ?, ?, ?, ?, ?, ?)"),
      {session, imageRow, withRois ? roiText(m.aluminium.roi) : QStringLiteral(""),
       withRois ? roiText(m.background.roi) : QStringLiteral(""),
       withRois ? static_cast<qulonglong>(m.aluminium.count) : 0, fromUtf8(m.aluminium.mean),
       fromUtf8(m.aluminium.standardDeviation), fromUtf8(m.background.mean),
       fromUtf8(m.background.standardDeviation), fromUtf8(m.sdnr),
       withRois && image.automaticPlacement ? QStringLiteral("automatisch")
                                            : QStringLiteral("von Hand"),
       fromUtf8(warnings), force.referenceId, force.toleranceId,
       fromUtf8(evaluation.deviationPercent), fromUtf8(evaluation.verdict),
       fromUtf8(image.remark)});
  return {measurement,
          {},
          force.reference ? force.reference->text() : "",
          evaluation.deviationPercent,
          evaluation.verdict,
          conditions};
}

}  // namespace

std::vector<SavedMeasurement> SaveSession(RecordDatabase& database, const SessionEntry& session,
                                          const std::vector<MeasuredImage>& images) {
  WriteTransaction transaction(database);
  const qint64 sessionRow = sessionId(database, session);
  const QString sessionDate = session.performedAt.toLocalTime().date().toString(Qt::ISODate);
  std::vector<SavedMeasurement> saved;
  for (std::size_t i = 0; i < images.size(); ++i) {
    saved.push_back(
        saveImage(database, sessionRow, sessionDate, imageKey(session, i, images[i]), images[i]));
  }
  // A session without a single measurement is not kept.
  if (std::any_of(saved.begin(), saved.end(), [](const SavedMeasurement& m) { return m.id; })) {
    transaction.commit();
  }
  return saved;
}

}  // namespace record
