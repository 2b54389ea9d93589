// Saving one check (a session) with the measurement of each of its images, in one transaction:
// the device found or added, the image kept once only, the reference value and tolerance rule in
// force looked up, and the verdict frozen with them.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "imaging/dicom_image.h"
#include "imaging/roi_statistics.h"
#include "record_database.h"

namespace record {

struct SessionEntry {
  QString clientKey;  // the same key saves nothing twice: a retried save finds its session
  QDateTime performedAt;
  QString operatorName;
  QString phantom;
  QString kind = QStringLiteral("SDNR monatlich");
  QString version;
};

struct MeasuredImage {
  std::string sha256;  // of the file, hexadecimal; empty when typed
  std::vector<imaging::HeaderFact> facts;
  std::string presentationIntent;
  std::string rescaleSlope;
  std::string rescaleIntercept;
  imaging::Measurement measurement;
  bool automaticPlacement = true;
  std::vector<std::string> warnings;
  // Four values typed by hand rather than measured in a file: no ROIs, no pixel count, no file,
  // and the facts are the user's. Such an entry has no SOP Instance UID; it is kept under
  // "von Hand:CLIENT-KEY/N" (the session's key and its place in the session), which a retried
  // save of the session finds again.
  bool typed = false;
  std::string remark;  // the user's, on this measurement
};

// The value of the image's fact of that key ("serial_number"); empty where it has none.
std::string FactValue(const MeasuredImage& image, std::string_view key);

struct SavedMeasurement {
  std::optional<qint64> id;  // none where the image was refused
  std::string refusal;       // why, in German
  std::string reference;     // the reference value in force, empty without one
  std::string deviationPercent;
  std::string verdict;
  // "Bedingungen abweichend (…)" where the exposure differs from the reference's; kept among the
  // measurement's warnings.
  std::string conditions;
};

// One outcome per image, in their order. Raises RecordError where the record cannot be written;
// nothing of the session is then kept.
std::vector<SavedMeasurement> SaveSession(RecordDatabase& database, const SessionEntry& session,
                                          const std::vector<MeasuredImage>& images);

}  // namespace record
