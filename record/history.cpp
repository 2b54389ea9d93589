#include "history.h"

#include "query_texts.h"
#include "reference_values.h"

namespace record {
namespace {

// The exposure's date where the image has a readable one, else the session's (its UTC date).
constexpr const char* RowDate =
    "CASE WHEN i.acquisition_date GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]' "
    "THEN i.acquisition_date ELSE substr(s.performed_at, 1, 10) END";

// Every amendment of a measurement in words, in the order they were made, one per line.
constexpr const char* Amendments =
    "SELECT measurement_id, group_concat(words, char(10)) AS words FROM ("
    "SELECT measurement_id, CASE kind WHEN 'void' THEN 'ungültig: ' || reason "
    "ELSE 'berichtigt: ' || reason || ifnull(' (ersetzt durch Messung ' || replacement_id || ')', "
    "'') END AS words FROM amendments ORDER BY id) GROUP BY measurement_id";

QString historySql() {
  return QStringLiteral(
             "SELECT * FROM (SELECT m.id, s.id, s.performed_at, %1 AS date, i.acquisition_time, "
             "d.manufacturer, d.model, d.serial_number, i.station, i.thickness_mm, "
             "m.m_al, m.s_al, m.m_bg, m.s_bg, m.sdnr, m.n, i.kvp, i.exposure_mas, i.anode, "
             "i.filter, r.value, r.source, t.below_percent, t.above_percent, t.minimum, "
             "t.maximum, t.source, m.deviation_percent, m.verdict, m.warnings, s.operator, "
             "s.phantom, i.sop_instance_uid, a.words "
             "FROM measurements m JOIN sessions s ON s.id = m.session_id "
             "JOIN images i ON i.id = m.image_id JOIN devices d ON d.id = i.device_id "
             "LEFT JOIN reference_values r ON r.id = m.reference_id "
             "LEFT JOIN tolerance_rules t ON t.id = m.tolerance_id "
             "LEFT JOIN (%2) a ON a.measurement_id = m.id "
             "WHERE (? = '' OR d.serial_number = ?)) "
             "WHERE (? = '' OR date >= ?) AND (? = '' OR date <= ?) "
             "ORDER BY date, 5, 1")
      .arg(QString::fromUtf8(RowDate), QString::fromUtf8(Amendments));
}

HistoryRow rowAt(const QSqlQuery& q) {
  HistoryRow row;
  row.measurement = q.value(0).toLongLong();
  row.session = q.value(1).toLongLong();
  ReadTexts(q, 2,
            {&row.performedAt,
             &row.date,
             &row.acquisitionTime,
             &row.manufacturer,
             &row.model,
             &row.serialNumber,
             &row.station,
             &row.thickness,
             &row.mAl,
             &row.sAl,
             &row.mBG,
             &row.sBG,
             &row.sdnr,
             nullptr,
             &row.kvp,
             &row.mas,
             &row.anode,
             &row.filter,
             &row.reference,
             &row.referenceSource,
             &row.belowPercent,
             &row.abovePercent,
             &row.minimum,
             &row.maximum,
             &row.toleranceSource,
             &row.deviation,
             &row.verdict,
             &row.warnings,
             &row.operatorName,
             &row.phantom,
             &row.sopInstanceUid,
             &row.amendment});
  row.n = q.value(15).toLongLong();
  row.tolerance = ToleranceInWords(row.belowPercent, row.abovePercent, row.minimum, row.maximum);
  return row;
}

}  // namespace

HistoryReader::HistoryReader(RecordDatabase& database, const HistoryFilter& filter)
    : query_(database.run(historySql(), {filter.deviceSerial, filter.deviceSerial, filter.from,
                                         filter.from, filter.to, filter.to})) {}

std::vector<HistoryRow> HistoryReader::next(int count) {
  std::vector<HistoryRow> rows;
  while (!atEnd_ && static_cast<int>(rows.size()) < count) {
    if (query_.next()) {
      rows.push_back(rowAt(query_));
    } else {
      atEnd_ = true;
      query_.finish();
    }
  }
  return rows;
}

std::vector<HistoryRow> ReadHistory(RecordDatabase& database, const HistoryFilter& filter) {
  HistoryReader reader(database, filter);
  std::vector<HistoryRow> rows;
  while (!reader.atEnd()) {
    for (HistoryRow& row : reader.next(1000)) rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace record
