#include "record_schema.h"

namespace record {
namespace {

// Kept once written: measurements, sessions, images, reference values, tolerance rules and
// amendments are never changed or deleted. A correction or a voided measurement is an amendment
// that names the measurement.
const QStringList AppendOnly = {"devices",          "sessions",        "images",    "measurements",
                                "reference_values", "tolerance_rules", "amendments"};

QStringList firstVersion() {
  QStringList statements = {
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
  for (const QString& table : AppendOnly) {
    for (const char* change : {"UPDATE", "DELETE"}) {
      statements << QStringLiteral(
                        "CREATE TRIGGER %1_no_%2 BEFORE %3 ON %1 BEGIN "
                        "SELECT RAISE(ABORT, 'Der QA-Record wird nur ergänzt, nie geändert.'); END")
                        .arg(table, QString::fromLatin1(change).toLower(),
                             QString::fromLatin1(change));
    }
  }
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

const std::vector<QStringList>& Migrations() {
  static const std::vector<QStringList> migrations = {firstVersion(), secondVersion(),
                                                       historyByDate()};
  return migrations;
}

}  // namespace record
