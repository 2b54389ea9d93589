// Mean and standard deviation of a ROI, exact until the one rounding to extended.
#pragma once

#include <cstdint>
#include <string>

#include "dicom_image.h"
#include "pixel_view.h"
#include "roi.h"

namespace imaging {

// Exact integer sums of the offset-binary values inside a ROI. With at most 2^30 pixels of at
// most 16 bits, sum < 2^46 and sumOfSquares < 2^62.
struct RoiSums {
  std::uint64_t count = 0;
  std::uint64_t sum = 0;
  std::uint64_t sumOfSquares = 0;
};

// The ROI must fit in the image (Roi::fitsIn).
RoiSums SumRoi(const PixelView& image, const Roi& roi);

// What the window shows and the fields receive for one ROI. mean = sum / n and the sample
// standard deviation sqrt(sum of squared deviations / (n - 1)) of the modality values: mean and
// variance of the stored values are each rounded once to extended, the square root is taken
// there, and slope and intercept are applied there; both are written in the program's general
// number format. A ROI of one pixel has no standard deviation: its text is "NAN".
struct RoiMeasurement {
  Roi roi;
  std::uint64_t count = 0;
  std::string mean;
  std::string standardDeviation;
};

RoiMeasurement MeasureRoi(const PixelView& image, const Rescale& rescale, const Roi& roi);

// Both ROIs and the SDNR text the main window computes from their four texts.
struct Measurement {
  RoiMeasurement aluminium;
  RoiMeasurement background;
  std::string sdnr;
};

Measurement Measure(const DicomImage& image, const Roi& aluminium, const Roi& background);

}  // namespace imaging
