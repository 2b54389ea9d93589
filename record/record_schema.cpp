#include "record_schema.h"

#include <QRegularExpression>

namespace record {
namespace {

// SQLite's row id is a 64-bit INTEGER PRIMARY KEY; PostgreSQL's the same width, counted by the
// server. Every other INTEGER is 64 bits wide in SQLite, so BIGINT on the server.
QString translated(Dialect dialect, QString statement) {
  if (dialect == Dialect::Sqlite) return statement;
  static const QRegularExpression rowId(QStringLiteral("\\bINTEGER PRIMARY KEY\\b"));
  static const QRegularExpression integer(QStringLiteral("\\bINTEGER\\b"));
  statement.replace(rowId, QStringLiteral("BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY"));
  statement.replace(integer, QStringLiteral("BIGINT"));
  return statement;
}

QStringList translated(Dialect dialect, const QStringList& statements) {
  QStringList result;
  for (const QString& statement : statements) result << translated(dialect, statement);
  return result;
}

const char* const AppendOnlyMessage = "Der QA-Record wird nur ergänzt, nie geändert.";

// Triggers that refuse to change or delete a row of an append-only table; on the server also to
// empty one (TRUNCATE), through one function that raises the same message as SQLite's.
QStringList appendOnlyTriggers(Dialect dialect) {
  QStringList statements;
  if (dialect == Dialect::Postgresql) {
    statements << QStringLiteral(
                      "CREATE FUNCTION quantelo_append_only() RETURNS trigger LANGUAGE plpgsql AS "
                      "$$ BEGIN RAISE EXCEPTION '%1'; END $$")
                      .arg(QString::fromUtf8(AppendOnlyMessage));
  }
  for (const QString& table : AppendOnlyTables()) {
    for (const QString& change : RefusedChanges(dialect)) {
      const QString name = AppendOnlyTrigger(table, change);
      statements << (dialect == Dialect::Sqlite
                         ? QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 BEGIN "
                                          "SELECT RAISE(ABORT, '%4'); END")
                               .arg(name, change, table, QString::fromUtf8(AppendOnlyMessage))
                         : QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH %4 "
                                          "EXECUTE FUNCTION quantelo_append_only()")
                               .arg(name, change, table,
                                    change == QLatin1String("TRUNCATE")
                                        ? QStringLiteral("STATEMENT")
                                        : QStringLiteral("ROW")));
    }
  }
  return statements;
}

// Each saved session and each amendment told to whoever listens once its transaction commits
// ("sessions 12", "amendments 3"), so that a window showing the record can read it again.
QStringList changeNotification() {
  QStringList statements = {
      QStringLiteral("CREATE FUNCTION quantelo_record_changed() RETURNS trigger LANGUAGE plpgsql "
                     "AS $$ BEGIN PERFORM pg_notify('%1', TG_TABLE_NAME || ' ' || NEW.id); "
                     "RETURN NULL; END $$")
          .arg(QLatin1String(NotifyChannel))};
  for (const char* table : {"sessions", "amendments"}) {
    statements << QStringLiteral(
                      "CREATE TRIGGER %1_told AFTER INSERT ON %1 FOR EACH ROW EXECUTE "
                      "FUNCTION quantelo_record_changed()")
                      .arg(QLatin1String(table));
  }
  return statements;
}

QStringList firstVersion(Dialect dialect) {
  const QStringList tables = {
      R"(CREATE TABLE devices (
           id INTEGER PRIMARY KEY,
           manufacturer TEXT NOT NULL,
           model TEXT NOT NULL,
           serial_number TEXT NOT NULL,
           UNIQUE (manufacturer, model, serial_number)))",
      R"(CREATE TABLE sessions (
           id INTEGER PRIMARY KEY,
           client_key TEXT NOT NULL UNIQUE,
           performed_at TEXT NOT NULL,
           time_zone TEXT NOT NULL,
           operator TEXT NOT NULL,
           phantom TEXT NOT NULL,
           kind TEXT NOT NULL,
           quantelo_version TEXT NOT NULL))",
      R"(CREATE TABLE images (
           id INTEGER PRIMARY KEY,
           device_id INTEGER NOT NULL REFERENCES devices (id),
           sop_instance_uid TEXT NOT NULL UNIQUE,
           sha256 TEXT NOT NULL,
           acquisition_date TEXT NOT NULL,
           acquisition_time TEXT NOT NULL,
           timezone_offset TEXT NOT NULL,
           station TEXT NOT NULL,
           detector_id TEXT NOT NULL,
           software_versions TEXT NOT NULL,
           kvp TEXT NOT NULL,
           exposure_mas TEXT NOT NULL,
           exposure_mas_source TEXT NOT NULL,
           anode TEXT NOT NULL,
           filter TEXT NOT NULL,
           thickness_mm TEXT NOT NULL,
           exposure_control_mode TEXT NOT NULL,
           presentation_intent TEXT NOT NULL,
           pixel_spacing TEXT NOT NULL,
           rescale_slope TEXT NOT NULL,
           rescale_intercept TEXT NOT NULL))",
      R"(CREATE TABLE reference_values (
           id INTEGER PRIMARY KEY,
           device_id INTEGER NOT NULL REFERENCES devices (id),
           thickness_mm TEXT NOT NULL,
           quantity TEXT NOT NULL CHECK (quantity IN ('sdnr', 'mas')),
           value TEXT NOT NULL,
           source TEXT NOT NULL,
           valid_from TEXT NOT NULL,
           recorded_at TEXT NOT NULL,
           mean_of TEXT NOT NULL))",
      R"(CREATE TABLE tolerance_rules (
           id INTEGER PRIMARY KEY,
           quantity TEXT NOT NULL CHECK (quantity IN ('sdnr', 'mas')),
           device_id INTEGER REFERENCES devices (id),
           thickness_mm TEXT,
           below_percent TEXT,
           above_percent TEXT,
           minimum TEXT,
           maximum TEXT,
           source TEXT NOT NULL,
           recorded_at TEXT NOT NULL))",
      R"(CREATE TABLE measurements (
           id INTEGER PRIMARY KEY,
           session_id INTEGER NOT NULL REFERENCES sessions (id),
           image_id INTEGER NOT NULL UNIQUE REFERENCES images (id),
           al_roi TEXT NOT NULL,
           bg_roi TEXT NOT NULL,
           n INTEGER NOT NULL,
           m_al TEXT NOT NULL,
           s_al TEXT NOT NULL,
           m_bg TEXT NOT NULL,
           s_bg TEXT NOT NULL,
           sdnr TEXT NOT NULL,
           placement TEXT NOT NULL CHECK (placement IN ('automatisch', 'von Hand')),
           warnings TEXT NOT NULL,
           reference_id INTEGER REFERENCES reference_values (id),
           tolerance_id INTEGER REFERENCES tolerance_rules (id),
           deviation_percent TEXT NOT NULL,
           verdict TEXT NOT NULL))",
      R"(CREATE TABLE amendments (
           id INTEGER PRIMARY KEY,
           measurement_id INTEGER NOT NULL REFERENCES measurements (id),
           kind TEXT NOT NULL CHECK (kind IN ('correction', 'void')),
           replacement_id INTEGER REFERENCES measurements (id),
           reason TEXT NOT NULL,
           operator TEXT NOT NULL,
           recorded_at TEXT NOT NULL))",
      "CREATE INDEX images_by_device ON images (device_id)",
      "CREATE INDEX measurements_by_session ON measurements (session_id)",
  };
  QStringList statements = translated(dialect, tables) + appendOnlyTriggers(dialect);
  if (dialect == Dialect::Postgresql) statements << changeNotification();
  return statements;
}

// A remark of the user's on a measurement, given when it is saved. Rows of version 1 get an empty
// one: adding a column rewrites no row, so the append-only triggers have nothing to refuse.
QStringList secondVersion() {
  return {"ALTER TABLE measurements ADD COLUMN remark TEXT NOT NULL DEFAULT ''"};
}

// The history read oldest first in the order of an index, of all images or of one device's,
// without sorting it as a whole first.
QStringList historyByDate() {
  return {"CREATE INDEX images_by_date ON images (acquisition_date, acquisition_time)",
          "CREATE INDEX images_by_device_date ON images (device_id, acquisition_date, "
          "acquisition_time)",
          "DROP INDEX images_by_device"};
}

}  // namespace

const std::vector<QStringList>& Migrations(Dialect dialect) {
  static const auto migrations = [](Dialect d) {
    return std::vector<QStringList>{firstVersion(d), translated(d, secondVersion()),
                                    translated(d, historyByDate())};
  };
  static const std::vector<QStringList> sqlite = migrations(Dialect::Sqlite);
  static const std::vector<QStringList> postgresql = migrations(Dialect::Postgresql);
  return dialect == Dialect::Sqlite ? sqlite : postgresql;
}

const QStringList& AppendOnlyTables() {
  // Kept once written: measurements, sessions, images, reference values, tolerance rules and
  // amendments. A correction or a voided measurement is an amendment that names the measurement.
  static const QStringList tables = {"devices",      "sessions",         "images",
                                     "measurements", "reference_values", "tolerance_rules",
                                     "amendments"};
  return tables;
}

QStringList RefusedChanges(Dialect dialect) {
  if (dialect == Dialect::Sqlite) return {QStringLiteral("UPDATE"), QStringLiteral("DELETE")};
  return {QStringLiteral("UPDATE"), QStringLiteral("DELETE"), QStringLiteral("TRUNCATE")};
}

QString AppendOnlyTrigger(const QString& table, const QString& change) {
  return QStringLiteral("%1_no_%2").arg(table, change.toLower());
}

}  // namespace record
