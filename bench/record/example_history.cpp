#include "example_history.h"

#include <QDate>
#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <string>

#include "imaging/header_facts.h"
#include "record/session_saving.h"

namespace bench_record {
namespace {

constexpr const char* Thicknesses[] = {"26", "46", "66"};
constexpr double ReferenceSdnr[] = {9.1, 6.4, 4.2};

// Whatever the locale: the record's numbers are written with a point.
std::string twoPlaces(double value) {
  return QString::number(value, 'f', 2).toStdString();
}

record::MeasuredImage image(int device, const QDate& date, int thickness, long long number,
                            std::mt19937& rng) {
  std::normal_distribution<double> noise(0, 0.12);
  // The four values agree with the SDNR: mBG − mAl = SDNR · √((sAl² + sBG²) / 2).
  const double noiseRms = std::sqrt((19.84 * 19.84 + 20.11 * 20.11) / 2);
  const double mAl =
      std::round((1800 - ReferenceSdnr[thickness] * (1 + noise(rng)) * noiseRms) * 100) / 100;
  const double sdnr = (1800 - mAl) / noiseRms;
  record::MeasuredImage image;
  image.sha256 = std::string(64, '0');
  const std::map<std::string_view, QString> values = {
      {"manufacturer", QStringLiteral("ACME Medical")},
      {"model", QStringLiteral("Mammo 3000")},
      {"serial_number", ExampleSerial(device)},
      {"station", QStringLiteral("MAMMO%1").arg(device + 1)},
      {"acquisition_date", date.toString(Qt::ISODate)},
      {"acquisition_time", QStringLiteral("08:1%1:00").arg(thickness)},
      {"kvp", QString::number(26 + 2 * thickness)},
      {"anode", QStringLiteral("W")},
      {"filter", thickness == 2 ? QStringLiteral("AG") : QStringLiteral("RH")},
      {"thickness_mm", QString::fromLatin1(Thicknesses[thickness])},
      {"exposure_mas", QString::number(40 + 50 * thickness)},
      {"sop_instance_uid", QStringLiteral("1.2.826.0.1.3680043.2.1125.9.%1").arg(number)},
  };
  for (const imaging::HeaderFactSource& source : imaging::HeaderFactSources()) {
    const auto value = values.find(source.key);
    image.facts.push_back({source.key, source.label,
                           value == values.end() ? std::string() : value->second.toStdString(),
                           source.listed});
  }
  image.measurement.aluminium = {{900, 1200, 400, 400}, 160000, twoPlaces(mAl), "19.84"};
  image.measurement.background = {{1500, 1200, 400, 400}, 160000, "1800.00", "20.11"};
  image.measurement.sdnr = twoPlaces(sdnr);
  return image;
}

// A check of the device: one session of up to three measurements at the three thicknesses,
// its images numbered from number on.
void saveCheck(record::RecordDatabase& database, const QString& key, int device, const QDate& date,
               int measurements, long long number, std::mt19937& rng) {
  std::vector<record::MeasuredImage> images;
  for (int t = 0; t < measurements; ++t) images.push_back(image(device, date, t, number + t, rng));
  const QDateTime at(date, QTime(9, 0), Qt::UTC);
  record::SaveSession(database,
                      {key, at, QStringLiteral("Prüferin"), QStringLiteral("PMMA-Satz 12"),
                       QStringLiteral("SDNR monatlich"), QStringLiteral("1.0")},
                      images);
}

// Writing a long record in seconds: no sync at each commit.
void syncAtCommit(record::RecordDatabase& database, bool sync) {
  if (database.dialect() == record::Dialect::Sqlite)
    database.run(sync ? QStringLiteral("PRAGMA synchronous = FULL")
                      : QStringLiteral("PRAGMA synchronous = OFF"));
  else
    database.run(sync ? QStringLiteral("SET synchronous_commit = on")
                      : QStringLiteral("SET synchronous_commit = off"));
}

}  // namespace

QString ExampleSerial(int device) {
  return QStringLiteral("SN-%1").arg(4711 + device);
}

void SaveExampleCheck(record::RecordDatabase& database, int device, const QDate& date,
                      long long number) {
  std::mt19937 rng(static_cast<std::mt19937::result_type>(number));
  saveCheck(database, QStringLiteral("example-check-%1").arg(number), device, date, 3,
            ExampleCheckNumbers + 3 * number, rng);
}

void WriteExampleHistory(record::RecordDatabase& database, int measurements, int devices) {
  syncAtCommit(database, false);
  std::mt19937 rng(2020);
  QDate date(2020, 1, 2);
  long long number = 0;
  for (int session = 0; number < measurements; ++session) {
    const int device = session % devices;
    if (device == 0) {
      do date = date.addDays(1);
      while (date.dayOfWeek() > 5);
    }
    const int count = static_cast<int>(std::min<long long>(3, measurements - number));
    saveCheck(database, QStringLiteral("example-%1").arg(session), device, date, count, number,
              rng);
    number += count;
    // The acceptance test's values, from the first check on.
    if (session < devices) {
      for (int t = 0; t < 3; ++t) {
        database.run(QStringLiteral(
                         "INSERT INTO reference_values (device_id, thickness_mm, quantity, value, "
                         "source, valid_from, recorded_at, mean_of) SELECT id, ?, 'sdnr', ?, "
                         "'Abnahmeprüfung 2019-12-16, Protokoll 17', '2019-12-16', "
                         "'2019-12-16T10:00:00Z', '' FROM devices WHERE serial_number = ?"),
                     {Thicknesses[t], QString::fromStdString(twoPlaces(ReferenceSdnr[t])),
                      ExampleSerial(device)});
      }
    }
    if (session == 0) {
      database.run(QStringLiteral(
          "INSERT INTO tolerance_rules (quantity, below_percent, above_percent, source, "
          "recorded_at) VALUES ('sdnr', '20', '30', 'Eingabe nach Norm, Beispiel', "
          "'2019-12-16T10:00:00Z')"));
    }
  }
  syncAtCommit(database, true);
}

}  // namespace bench_record
