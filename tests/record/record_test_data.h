// Measured images and sessions as the record tests save them.
#pragma once

#include "record/session_saving.h"

namespace record_test {

struct ImageFacts {
  const char* uid;
  const char* sdnr;
  const char* thickness = "45";
  const char* date = "2026-12-01";
  const char* serial = "SN 42";
  const char* manufacturer = "ACME";
};

inline record::MeasuredImage Image(const ImageFacts& f) {
  record::MeasuredImage image;
  image.sha256 = "ab12";
  image.facts = {
      {"manufacturer", "", f.manufacturer}, {"model", "", "Mammo 3000"},
      {"serial_number", "", f.serial},      {"acquisition_date", "", f.date},
      {"thickness_mm", "", f.thickness},    {"sop_instance_uid", "", f.uid},
      {"exposure_mas", "", "63.25"},        {"exposure_mas_source", "", "Exposure in µAs"}};
  image.measurement.sdnr = f.sdnr;
  image.measurement.aluminium = {{10, 10, 200, 200}, 40000, "2099.87", "20.07"};
  image.measurement.background = {{300, 10, 200, 200}, 40000, "2000.05", "19.87"};
  return image;
}

inline record::SessionEntry Session(const char* key) {
  return {key, QDateTime::currentDateTimeUtc(), "Prüferin", "PMMA 45", "SDNR monatlich", "1.0"};
}

}  // namespace record_test
