// The plausibility checks of a measurement: everything that makes an SDNR doubtful, said in
// German as a physicist would put it. The physicist decides; nothing here refuses a measurement.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "dicom_image.h"
#include "exposure_survey.h"
#include "roi.h"

namespace imaging {

// Fewer pixels than this make the standard deviation itself too uncertain.
inline constexpr long long SmallestReliableRoiPixels = 10000;

struct MeasurementWarning {
  std::string text;            // one German sentence, UTF-8
  std::array<bool, 2> rois{};  // whether it concerns "Al", "BG"
};

// In this order: the image (lossy, not mammography, processed), the object (none found, far too
// much contrast for aluminium), each ROI (outside the exposed field, outliers, off the free
// background, off or across the object), both (overlap, fewer pixels than 10000 or than the
// size rule allows, standard deviations more than a factor 2 apart). Both ROIs must fit in the
// survey's image. Cost: InspectRoi of both ROIs and a look at the blocks under them; about
// 0.5 ms for two 200 × 200 ROIs.
std::vector<MeasurementWarning> CheckMeasurement(const ExposureSurvey& survey,
                                                 const ImageContext& context, const Roi& aluminium,
                                                 const Roi& background);

// The texts joined by "; ", as the command line writes them.
std::string JoinedWarnings(const std::vector<MeasurementWarning>& warnings);

}  // namespace imaging
