// The lines quantelo-sdnr prints: tab-separated with a header line, or one JSON object a file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "imaging/dicom_image.h"
#include "imaging/measurement_checks.h"
#include "imaging/roi_statistics.h"

namespace sdnr_cli {

// What one line reports of a file.
// What the QA record made of a saved file.
struct SavedColumns {
  std::string measurement;  // the record's id
  std::string reference;
  std::string deviation;
  std::string verdict;
};

struct FileReport {
  std::string file;
  imaging::Measurement measurement;
  std::vector<imaging::HeaderFact> facts;
  std::vector<imaging::MeasurementWarning> warnings;
  std::optional<SavedColumns> saved;  // with --save
};

// A printed line, and whether bytes of a text in it that formed no character were replaced.
struct PrintedLine {
  std::string text;
  bool replacedBytes = false;
};

// file, mAl, sAl, mBG, sBG, SDNR, n, al_roi, bg_roi, the header facts' keys, with --save
// measurement, reference, deviation and verdict, then warnings (the texts joined by "; ", empty
// when none); the fields made printable.
std::string TsvHeader(bool saved);
PrintedLine TsvLine(const FileReport& report);
// The same names and texts as one JSON object; n is a number, warnings an array of strings,
// everything else a string.
PrintedLine JsonLine(const FileReport& report);

}  // namespace sdnr_cli
