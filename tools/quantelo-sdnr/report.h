// The lines quantelo-sdnr prints: tab-separated with a header line, or one JSON object a file.
#pragma once

#include <string>
#include <vector>

#include "imaging/dicom_image.h"
#include "imaging/roi_statistics.h"

namespace sdnr_cli {

// file, mAl, sAl, mBG, sBG, SDNR, n, al_roi, bg_roi, then the header facts' keys.
std::string TsvHeader();
std::string TsvLine(const std::string& file, const imaging::Measurement& measurement,
                    const std::vector<imaging::HeaderFact>& facts);
// The same names and texts as one JSON object; n is a number, everything else a string.
std::string JsonLine(const std::string& file, const imaging::Measurement& measurement,
                     const std::vector<imaging::HeaderFact>& facts);

}  // namespace sdnr_cli
