#include "history.h"

#include <algorithm>
#include <unordered_map>

#include "query_texts.h"
#include "reference_values.h"

namespace record {

// The tables that stay small however long the history grows, read once and looked up by id, so
// that each row carries only its own columns and shares these texts.
struct HistorySmallTables {
  struct Device {
    QString manufacturer, model, serialNumber;
  };
  struct Reference {
    QString value, source;
  };
  struct Tolerance {
    QString belowPercent, abovePercent, minimum, maximum, inWords, source;
  };
  std::unordered_map<qint64, Device> devices;
  std::unordered_map<qint64, Reference> references;
  std::unordered_map<qint64, Tolerance> tolerances;
  struct Amendments {
    QString inWords;  // one per line
    bool voided = false;
  };
  std::unordered_map<qint64, Amendments> amendments;  // by measurement
};

namespace {

// Oldest first by the exposure's date and time, in the order of an index (of the device's images
// where the filter names a device). Only the filters given are in the statement, so that the
// database can walk the index instead of sorting. The order's columns come last, to go on after
// the last row read: %3 is a server's page.
const char* const HistorySql =
    "SELECT m.id, s.id, s.performed_at, %1, i.acquisition_time, i.station, "
    "i.thickness_mm, m.m_al, m.s_al, m.m_bg, m.s_bg, m.sdnr, m.n, i.kvp, i.exposure_mas, "
    "i.anode, i.filter, m.deviation_percent, m.verdict, m.warnings, s.operator, s.phantom, "
    "i.sop_instance_uid, i.device_id, m.reference_id, m.tolerance_id, i.acquisition_date, i.id "
    "FROM images i JOIN measurements m ON m.image_id = i.id "
    "JOIN sessions s ON s.id = m.session_id WHERE 1 = 1%2 "
    "ORDER BY i.acquisition_date, i.acquisition_time, i.id%3";
enum OrderColumn { AcquisitionTime = 4, AcquisitionDate = 26, ImageId = 27 };

// An image's date that can be read (YYYY-MM-DD), in the dialect's words.
QString readableDate(Dialect dialect) {
  return dialect == Dialect::Sqlite
             ? QStringLiteral(
                   "i.acquisition_date GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'")
             : QStringLiteral("i.acquisition_date ~ '^[0-9]{4}-[0-9]{2}-[0-9]{2}$'");
}

// The row's date: the exposure's where the image has a readable one, else the session's (its UTC
// date).
QString rowDate(Dialect dialect) {
  return QStringLiteral(
             "CASE WHEN %1 THEN i.acquisition_date ELSE substr(s.performed_at, 1, 10) END")
      .arg(readableDate(dialect));
}

// The row's date within the filter's period, written out (PostgreSQL knows no column names of
// the result there) so that the cheap comparison of the dates comes first and the test of the
// image's date is made for the rows in the period only, not for every row of the device.
QString inPeriod(Dialect dialect, const HistoryFilter& filter, QVariantList& values) {
  QStringList bounds;
  QVariantList period;
  if (!filter.from.isEmpty()) {
    bounds << QStringLiteral("%1 >= ?");
    period << filter.from;
  }
  if (!filter.to.isEmpty()) {
    bounds << QStringLiteral("%1 <= ?");
    period << filter.to;
  }
  if (bounds.isEmpty()) return {};
  const QString within = bounds.join(QStringLiteral(" AND "));
  values << period << period;
  return QStringLiteral(" AND ((%1 AND %2) OR (%3 AND NOT (%2)))")
      .arg(within.arg(QStringLiteral("i.acquisition_date")), readableDate(dialect),
           within.arg(QStringLiteral("substr(s.performed_at, 1, 10)")));
}

bool voids(const QSqlQuery& q) {
  return q.value(1).toString() == QLatin1String("void");
}

QString amendmentInWords(const QSqlQuery& q) {
  const QString reason = q.value(2).toString();
  if (voids(q)) return QStringLiteral("ungültig: ") + reason;
  const QString replacement =
      q.value(3).isNull()
          ? QString()
          : QStringLiteral(" (ersetzt durch Messung %1)").arg(q.value(3).toLongLong());
  return QStringLiteral("berichtigt: ") + reason + replacement;
}

std::unique_ptr<const HistorySmallTables> readSmallTables(RecordDatabase& database) {
  auto tables = std::make_unique<HistorySmallTables>();
  QSqlQuery q =
      database.run(QStringLiteral("SELECT id, manufacturer, model, serial_number FROM devices"));
  while (q.next()) {
    auto& device = tables->devices[q.value(0).toLongLong()];
    ReadTexts(q, 1, {&device.manufacturer, &device.model, &device.serialNumber});
  }
  q = database.run(QStringLiteral("SELECT id, value, source FROM reference_values"));
  while (q.next()) {
    auto& reference = tables->references[q.value(0).toLongLong()];
    ReadTexts(q, 1, {&reference.value, &reference.source});
  }
  q = database.run(QStringLiteral(
      "SELECT id, below_percent, above_percent, minimum, maximum, source FROM tolerance_rules"));
  while (q.next()) {
    auto& rule = tables->tolerances[q.value(0).toLongLong()];
    ReadTexts(q, 1,
              {&rule.belowPercent, &rule.abovePercent, &rule.minimum, &rule.maximum, &rule.source});
    rule.inWords =
        ToleranceInWords(rule.belowPercent, rule.abovePercent, rule.minimum, rule.maximum);
  }
  q = database.run(QStringLiteral(
      "SELECT measurement_id, kind, reason, replacement_id FROM amendments ORDER BY id"));
  while (q.next()) {
    auto& amendments = tables->amendments[q.value(0).toLongLong()];
    amendments.inWords +=
        (amendments.inWords.isEmpty() ? QString() : QStringLiteral("\n")) + amendmentInWords(q);
    amendments.voided = amendments.voided || voids(q);
  }
  return tables;
}

}  // namespace

HistoryReader::HistoryReader(RecordDatabase& database, const HistoryFilter& filter)
    : database_(database), tables_(readSmallTables(database)) {
  if (!filter.deviceSerial.isEmpty()) {
    QStringList marks;
    for (const auto& [id, device] : tables_->devices) {
      if (device.serialNumber != filter.deviceSerial) continue;
      marks << QStringLiteral("?");
      values_ << id;
    }
    // No device of that serial number: no rows.
    conditions_ += QStringLiteral(" AND i.device_id IN (%1)")
                       .arg(marks.isEmpty() ? QStringLiteral("NULL") : marks.join(u", "));
  }
  conditions_ += inPeriod(database.dialect(), filter, values_);
  // SQLite's statement gives its rows as they are read; a server's result comes whole, so a
  // server is asked for a page at a time.
  if (database.dialect() == Dialect::Sqlite) {
    query_ = database.run(
        QString::fromLatin1(HistorySql).arg(rowDate(Dialect::Sqlite), conditions_, QString()),
        values_);
    morePages_ = false;
  }
}

HistoryReader::~HistoryReader() = default;

void HistoryReader::readPage(int count) {
  QString after;
  QVariantList values = values_;
  if (!last_.isEmpty()) {
    after = QStringLiteral(" AND (i.acquisition_date, i.acquisition_time, i.id) > (?, ?, ?)");
    values << last_;
  }
  query_ = database_.run(QString::fromLatin1(HistorySql)
                             .arg(rowDate(database_.dialect()), conditions_ + after,
                                  QStringLiteral(" LIMIT %1").arg(count)),
                         values);
  morePages_ = query_.size() == count;
}

std::vector<HistoryRow> HistoryReader::next(int count) {
  std::vector<HistoryRow> rows;
  rows.reserve(std::min(count, 1024));
  while (!atEnd_ && static_cast<int>(rows.size()) < count) {
    if (!query_.next()) {
      if (morePages_) {
        readPage(count - static_cast<int>(rows.size()));
        continue;
      }
      atEnd_ = true;
      query_.finish();
      break;
    }
    const QSqlQuery& q = query_;
    if (morePages_) last_ = {q.value(AcquisitionDate), q.value(AcquisitionTime), q.value(ImageId)};
    HistoryRow& row = rows.emplace_back();
    row.measurement = q.value(0).toLongLong();
    row.session = q.value(1).toLongLong();
    ReadTexts(q, 2, {&row.performedAt,  &row.date,      &row.acquisitionTime,
                     &row.station,      &row.thickness, &row.mAl,
                     &row.sAl,          &row.mBG,       &row.sBG,
                     &row.sdnr,         nullptr,        &row.kvp,
                     &row.mas,          &row.anode,     &row.filter,
                     &row.deviation,    &row.verdict,   &row.warnings,
                     &row.operatorName, &row.phantom,   &row.sopInstanceUid});
    row.n = q.value(12).toLongLong();
    const auto& device = tables_->devices.at(q.value(23).toLongLong());
    row.manufacturer = device.manufacturer;
    row.model = device.model;
    row.serialNumber = device.serialNumber;
    if (const auto reference = tables_->references.find(q.value(24).toLongLong());
        reference != tables_->references.end()) {
      row.reference = reference->second.value;
      row.referenceSource = reference->second.source;
    }
    if (const auto rule = tables_->tolerances.find(q.value(25).toLongLong());
        rule != tables_->tolerances.end()) {
      row.belowPercent = rule->second.belowPercent;
      row.abovePercent = rule->second.abovePercent;
      row.minimum = rule->second.minimum;
      row.maximum = rule->second.maximum;
      row.tolerance = rule->second.inWords;
      row.toleranceSource = rule->second.source;
    }
    if (const auto amendment = tables_->amendments.find(row.measurement);
        amendment != tables_->amendments.end()) {
      row.amendment = amendment->second.inWords;
      row.voided = amendment->second.voided;
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
