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

// Fewer pixels than this leave the standard deviation itself uncertain by more than 2 %.
inline constexpr long long SmallestReliableRoiPixels = 1250;

// The relative standard error of a sample standard deviation of n normal values, 1 / √(2(n − 1)):
// 2 % for 1250 pixels.
double DeviationUncertainty(long long pixels);

struct MeasurementWarning {
  std::string text;            // one German sentence, UTF-8
  std::array<bool, 2> rois{};  // whether it concerns "Al", "BG"
};

// In this order: the image (lossy, not MG, processed, 8 bits), the chest wall (the image and the
// file disagree), the object (none found; not plausible as aluminium: far too much contrast, far
// too little, or more dose than the background), each ROI (outside the exposed field, outliers,
// off the free background, off the object's own background: a step or a bump between or under,
// off or across the object), both (overlap, fewer pixels than 1250 or than the automatic
// placement gives them, standard deviations more than a factor 2 apart). Both ROIs must fit in the
// survey's image. Cost: InspectRoi of both ROIs, a look at the blocks under them and along the
// chest wall through "BG"; about 1 ms for two 200 × 200 ROIs.
std::vector<MeasurementWarning> CheckMeasurement(const ExposureSurvey& survey,
                                                 const ImageContext& context, const Roi& aluminium,
                                                 const Roi& background);

// The texts joined by "; ", as the command line writes them.
std::string JoinedWarnings(const std::vector<MeasurementWarning>& warnings);

}  // namespace imaging
