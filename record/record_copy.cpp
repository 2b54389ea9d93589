#include "record_copy.h"

#include <QFile>
#include <QSqlField>
#include <QSqlRecord>
#include <filesystem>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "record_error.h"

namespace record {
namespace {

enum Table { Devices, Sessions, Images, Measurements, References, Tolerances, Amendments };
constexpr int NoLink = -1;

struct Column {
  const char* name;
  int link = NoLink;    // the table whose ids the column holds
  bool idList = false;  // several of them as text, "12,13,14"
};

struct TableShape {
  const char* name;
  std::vector<Column> columns;  // every column but id
  // The column that says which row it is; nullptr: all columns together.
  const char* key;
  const char* singular;
  const char* plural;
};

// Every column of the current schema: a column added by a migration must be added here too, or
// the copy refuses to start (see refuseUnknownColumns).
const std::array<TableShape, 7> Shapes = {{
    {"devices", {{"manufacturer"}, {"model"}, {"serial_number"}}, nullptr, "Gerät", "Geräte"},
    {"sessions",
     {{"client_key"},
      {"performed_at"},
      {"time_zone"},
      {"operator"},
      {"phantom"},
      {"kind"},
      {"quantelo_version"}},
     "client_key",
     "Sitzung",
     "Sitzungen"},
    {"images",
     {{"device_id", Devices},
      {"sop_instance_uid"},
      {"sha256"},
      {"acquisition_date"},
      {"acquisition_time"},
      {"timezone_offset"},
      {"station"},
      {"detector_id"},
      {"software_versions"},
      {"kvp"},
      {"exposure_mas"},
      {"exposure_mas_source"},
      {"anode"},
      {"filter"},
      {"thickness_mm"},
      {"exposure_control_mode"},
      {"presentation_intent"},
      {"pixel_spacing"},
      {"rescale_slope"},
      {"rescale_intercept"}},
     "sop_instance_uid",
     "Aufnahme",
     "Aufnahmen"},
    {"measurements",
     {{"session_id", Sessions},
      {"image_id", Images},
      {"al_roi"},
      {"bg_roi"},
      {"n"},
      {"m_al"},
      {"s_al"},
      {"m_bg"},
      {"s_bg"},
      {"sdnr"},
      {"placement"},
      {"warnings"},
      {"reference_id", References},
      {"tolerance_id", Tolerances},
      {"deviation_percent"},
      {"verdict"},
      {"remark"}},
     "image_id",
     "Messung",
     "Messungen"},
    {"reference_values",
     {{"device_id", Devices},
      {"thickness_mm"},
      {"quantity"},
      {"value"},
      {"source"},
      {"valid_from"},
      {"recorded_at"},
      {"mean_of", Measurements, true}},
     nullptr,
     "Bezugswert",
     "Bezugswerte"},
    {"tolerance_rules",
     {{"quantity"},
      {"device_id", Devices},
      {"thickness_mm"},
      {"below_percent"},
      {"above_percent"},
      {"minimum"},
      {"maximum"},
      {"source"},
      {"recorded_at"}},
     nullptr,
     "Toleranzregel",
     "Toleranzregeln"},
    {"amendments",
     {{"measurement_id", Measurements},
      {"kind"},
      {"replacement_id", Measurements},
      {"reason"},
      {"operator"},
      {"recorded_at"}},
     nullptr,
     "Vermerk",
     "Vermerke"},
}};

// Measurements before reference values, so that in an empty target they keep their order; a
// reference value a measurement was judged by comes just before it, after the measurements it is
// the mean of.
constexpr Table CopyOrder[] = {Devices,      Sessions,   Images,    Tolerances,
                               Measurements, References, Amendments};

constexpr int MostConflictsTold = 10;

QString columnList(const TableShape& shape) {
  QStringList names;
  for (const Column& column : shape.columns) names << QString::fromLatin1(column.name);
  return names.join(QStringLiteral(", "));
}

// NULL only equals NULL; everything else compares as text, which is how the record keeps it.
bool same(const QVariant& a, const QVariant& b) {
  if (a.isNull() || b.isNull()) return a.isNull() && b.isNull();
  return a.toString() == b.toString();
}

QString quoted(const QVariant& value) {
  return value.isNull() ? QStringLiteral("leer") : QStringLiteral("„%1“").arg(value.toString());
}

// A record of a schema this copy does not know column for column would lose what it does not
// know; such a copy does not start.
void refuseUnknownColumns(RecordDatabase& database) {
  for (const TableShape& shape : Shapes) {
    const QSqlRecord fields =
        database
            .run(
                QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(QString::fromLatin1(shape.name)))
            .record();
    QStringList expected = {QStringLiteral("id")};
    for (const Column& column : shape.columns) expected << QString::fromLatin1(column.name);
    for (int i = 0; i < fields.count(); ++i) {
      if (!expected.contains(fields.fieldName(i))) {
        throw RecordError("Die Spalte „" + fields.fieldName(i).toStdString() + "“ in " +
                          shape.name + " kennt das Kopieren nicht; es wurde nichts kopiert.");
      }
    }
  }
}

class Copier {
 public:
  Copier(RecordDatabase& source, RecordDatabase& target) : source_(source), target_(target) {}

  void copyAll() {
    for (const Table table : CopyOrder) {
      std::vector<qint64> ids;
      QSqlQuery all = source_.run(QStringLiteral("SELECT id FROM %1 ORDER BY id")
                                      .arg(QString::fromLatin1(Shapes[table].name)));
      while (all.next()) ids.push_back(all.value(0).toLongLong());
      for (const qint64 id : ids) targetId(table, id);
    }
  }

  // Raises RecordError naming the rows whose key the target holds with another content.
  void refuseConflicts() const {
    if (conflicts_.isEmpty()) return;
    QStringList told = conflicts_.mid(0, MostConflictsTold);
    if (conflicts_.size() > MostConflictsTold)
      told << QStringLiteral("und %1 weitere").arg(conflicts_.size() - MostConflictsTold);
    throw RecordError(
        QStringLiteral("Nichts kopiert: %1 der Quelle %2 im Ziel schon mit anderem "
                       "Inhalt: %3. Der Ziel-Record bleibt, wie er war.")
            .arg(conflicts_.size() == 1 ? QStringLiteral("ein Eintrag")
                                        : QStringLiteral("%1 Einträge").arg(conflicts_.size()),
                 conflicts_.size() == 1 ? QStringLiteral("steht") : QStringLiteral("stehen"),
                 told.join(QStringLiteral("; ")))
            .toStdString());
  }

  const CopyCounts& counts() const { return counts_; }

 private:
  // The target's id of the source's row, copying the row (and first what it refers to) where
  // the target lacks it.
  qint64 targetId(Table table, qint64 sourceId) {
    if (const auto known = ids_[table].find(sourceId); known != ids_[table].end())
      return known->second;
    const TableShape& shape = Shapes[table];
    // Only a hand-made record can refer in a circle; it would otherwise never end.
    if (!pending_[table].insert(sourceId).second) {
      throw RecordError(std::string("Der Quell-Record verweist im Kreis (") + shape.name + " " +
                        std::to_string(sourceId) + "); es wurde nichts kopiert.");
    }
    const QVariantList stored = sourceRow(table, sourceId);
    QVariantList values;
    for (qsizetype i = 0; i < stored.size(); ++i) values << translated(shape.columns[i], stored[i]);
    qint64 id = 0;
    if (const auto existing = find(table, values)) {
      id = existing->first;
      compare(table, stored, values, existing->second);
      ++counts_.present[table];
    } else {
      id = insert(table, values);
      ++counts_.copied[table];
    }
    pending_[table].erase(sourceId);
    ids_[table].emplace(sourceId, id);
    return id;
  }

  QVariantList sourceRow(Table table, qint64 id) {
    const TableShape& shape = Shapes[table];
    QSqlQuery query = source_.run(QStringLiteral("SELECT %1 FROM %2 WHERE id = ?")
                                      .arg(columnList(shape), QString::fromLatin1(shape.name)),
                                  {id});
    if (!query.next()) {
      throw RecordError(std::string("Im Quell-Record fehlt ") + shape.name + " " +
                        std::to_string(id) + ", worauf verwiesen wird; es wurde nichts kopiert.");
    }
    QVariantList row;
    for (int i = 0; i < static_cast<int>(shape.columns.size()); ++i) row << query.value(i);
    return row;
  }

  QVariant translated(const Column& column, const QVariant& value) {
    if (column.link == NoLink || value.isNull()) return value;
    const auto table = static_cast<Table>(column.link);
    if (!column.idList) return targetId(table, value.toLongLong());
    QStringList ids;
    for (const QString& text : value.toString().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
      bool number = false;
      const qint64 id = text.toLongLong(&number);
      if (!number) {
        throw RecordError("Im Quell-Record steht in " + std::string(column.name) + " „" +
                          value.toString().toStdString() + "“, keine Liste von Nummern.");
      }
      ids << QString::number(targetId(table, id));
    }
    // A typed reference value is the mean of none: its empty text stays as it is.
    return ids.isEmpty() ? value : QVariant(ids.join(QLatin1Char(',')));
  }

  // The target's row with the same key: its id and its columns.
  std::optional<std::pair<qint64, QVariantList>> find(Table table, const QVariantList& values) {
    const TableShape& shape = Shapes[table];
    QStringList conditions;
    QVariantList bound;
    for (qsizetype i = 0; i < values.size(); ++i) {
      const QString name = QString::fromLatin1(shape.columns[i].name);
      if (shape.key != nullptr && name != QLatin1String(shape.key)) continue;
      if (values[i].isNull()) {
        conditions << name + QStringLiteral(" IS NULL");
      } else {
        conditions << name + QStringLiteral(" = ?");
        bound << values[i];
      }
    }
    QSqlQuery query =
        target_.run(QStringLiteral("SELECT id, %1 FROM %2 WHERE %3 ORDER BY id LIMIT 1")
                        .arg(columnList(shape), QString::fromLatin1(shape.name),
                             conditions.join(QStringLiteral(" AND "))),
                    bound);
    if (!query.next()) return std::nullopt;
    QVariantList row;
    for (qsizetype i = 0; i < values.size(); ++i) row << query.value(static_cast<int>(i) + 1);
    return std::pair{query.value(0).toLongLong(), row};
  }

  qint64 insert(Table table, const QVariantList& values) {
    const TableShape& shape = Shapes[table];
    QStringList marks;
    for (qsizetype i = 0; i < values.size(); ++i) marks << QStringLiteral("?");
    return target_.insert(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                              .arg(QString::fromLatin1(shape.name), columnList(shape),
                                   marks.join(QStringLiteral(", "))),
                          values);
  }

  // Notes a conflict where the target's row differs from the source's (its ids translated).
  void compare(Table table, const QVariantList& stored, const QVariantList& values,
               const QVariantList& existing) {
    const TableShape& shape = Shapes[table];
    QStringList differences;
    for (qsizetype i = 0; i < values.size(); ++i) {
      if (same(values[i], existing[i])) continue;
      const QString name = QString::fromLatin1(shape.columns[i].name);
      differences << (shape.columns[i].link == NoLink
                          ? QStringLiteral("%1 %2 (im Ziel %3)")
                                .arg(name, quoted(values[i]), quoted(existing[i]))
                          : QStringLiteral("%1 (im Ziel ein anderer Verweis)").arg(name));
    }
    if (!differences.isEmpty())
      conflicts_ << rowName(table, stored) + QStringLiteral(": ") + differences.join(u", ");
  }

  // "Sitzung „KEY“", "Aufnahme „UID“", "Messung der Aufnahme „UID“": by its key as the source
  // holds it.
  QString rowName(Table table, const QVariantList& stored) {
    const TableShape& shape = Shapes[table];
    for (qsizetype i = 0; i < stored.size(); ++i) {
      const Column& column = shape.columns[i];
      if (shape.key == nullptr || QLatin1String(column.name) != QLatin1String(shape.key)) continue;
      if (column.link == NoLink)
        return QStringLiteral("%1 %2").arg(QString::fromUtf8(shape.singular), quoted(stored[i]));
      const auto linked = static_cast<Table>(column.link);
      return QStringLiteral("%1 der %2")
          .arg(QString::fromUtf8(shape.singular),
               rowName(linked, sourceRow(linked, stored[i].toLongLong())));
    }
    return QString::fromUtf8(shape.singular);
  }

  RecordDatabase& source_;
  RecordDatabase& target_;
  std::array<std::unordered_map<qint64, qint64>, Shapes.size()> ids_;
  std::array<std::unordered_set<qint64>, Shapes.size()> pending_;
  CopyCounts counts_;
  QStringList conflicts_;
};

QString countsInWords(const std::array<qint64, 7>& counts) {
  QStringList parts;
  for (std::size_t table = 0; table < Shapes.size(); ++table) {
    if (counts[table] == 0) continue;
    parts << QStringLiteral("%1 %2")
                 .arg(counts[table])
                 .arg(QString::fromUtf8(counts[table] == 1 ? Shapes[table].singular
                                                           : Shapes[table].plural));
  }
  return parts.isEmpty() ? QStringLiteral("nichts") : parts.join(QStringLiteral(", "));
}

}  // namespace

CopyCounts CopyRecord(RecordDatabase& source, RecordDatabase& target) {
  refuseUnknownColumns(source);
  WriteTransaction transaction(target);
  Copier copier(source, target);
  copier.copyAll();
  // Rolled back with the transaction: nothing of a refused copy is kept.
  copier.refuseConflicts();
  transaction.commit();
  return copier.counts();
}

QString CopyCountsInWords(const CopyCounts& counts) {
  return QStringLiteral("Kopiert: %1; schon vorhanden: %2.")
      .arg(countsInWords(counts.copied), countsInWords(counts.present));
}

void RefuseSameRecord(const QString& from, const QString& to) {
  std::error_code error;
  const bool sameFile = std::filesystem::equivalent(QFile::encodeName(from).toStdString(),
                                                    QFile::encodeName(to).toStdString(), error);
  if (from == to || (!error && sameFile)) {
    throw RecordError("Quelle und Ziel sind derselbe QA-Record („" + to.toStdString() +
                      "“); es gibt nichts zu kopieren.");
  }
}

}  // namespace record
