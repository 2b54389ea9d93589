#include "roi_inspection.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "robust_statistics.h"

namespace imaging {

namespace {

constexpr double OutlierBeyondNoise = 6;
constexpr double SmallestLineOffset = 0.5;  // pixel noise deviations: below it a line is harmless
constexpr double SmallestNoise = 1;
constexpr std::size_t DifferenceBins = 4096;

// The median of integer magnitudes from their histogram, read as if each value k were spread
// evenly over [k - 1/2, k + 1/2), so that small noise is not rounded to a whole number.
double InterpolatedMedian(const std::vector<std::uint32_t>& histogram, std::uint64_t count) {
  const double half = static_cast<double>(count) / 2;
  double below = 0;
  for (std::size_t k = 0; k < histogram.size(); ++k) {
    const double here = histogram[k];
    if (below + here >= half && here > 0) {
      const double start = k == 0 ? 0 : static_cast<double>(k) - 0.5;
      const double width = k == 0 ? 0.5 : 1;
      return start + width * (half - below) / here;
    }
    below += here;
  }
  return static_cast<double>(histogram.size());
}

// The ROI's least-squares plane, with x and y counted from the ROI's centre so that its three
// terms do not interact.
struct Plane {
  double mean = 0;
  double slopeX = 0;
  double slopeY = 0;
  double centreX = 0;
  double centreY = 0;
  double at(int x, int y) const { return mean + slopeX * (x - centreX) + slopeY * (y - centreY); }
};

// The lines whose mean is off the plane's mean along them by more than 6 of its own noise
// deviations and half a pixel's.
int StrayLines(const std::vector<double>& lineSums, int across, double mean, double slope,
               double noise) {
  const double limit = std::max(OutlierBeyondNoise / std::sqrt(across), SmallestLineOffset) * noise;
  const auto n = static_cast<double>(lineSums.size());
  int stray = 0;
  for (std::size_t i = 0; i < lineSums.size(); ++i) {
    const double offset =
        lineSums[i] / across - (mean + slope * (static_cast<double>(i) - (n - 1) / 2));
    stray += std::abs(offset) > limit;
  }
  return stray;
}

}  // namespace

RoiInspection InspectRoi(const PixelView& image, const Roi& roi) {
  RoiInspection inspection;
  if (roi.count() == 0) return inspection;
  std::vector<double> rowSums(static_cast<std::size_t>(roi.height), 0);
  std::vector<double> columnSums(static_cast<std::size_t>(roi.width), 0);
  std::vector<std::uint32_t> differences(DifferenceBins, 0);
  double sum = 0;
  double squares = 0;
  for (int y = roi.y; y < roi.bottom(); ++y) {
    const auto row =
        image.row(y).subspan(static_cast<std::size_t>(roi.x), static_cast<std::size_t>(roi.width));
    std::uint64_t rowSum = 0;
    std::uint64_t rowSquares = 0;
    for (std::size_t x = 0; x < row.size(); ++x) {
      rowSum += row[x];
      rowSquares += std::uint64_t{row[x]} * row[x];
      columnSums[x] += row[x];
      if (x + 1 < row.size()) {
        const auto difference = static_cast<std::size_t>(std::abs(int{row[x + 1]} - int{row[x]}));
        ++differences[std::min(difference, DifferenceBins - 1)];
      }
    }
    rowSums[static_cast<std::size_t>(y - roi.y)] = static_cast<double>(rowSum);
    sum += static_cast<double>(rowSum);
    squares += static_cast<double>(rowSquares);
  }
  const auto n = static_cast<double>(roi.count());
  inspection.mean = sum / n;
  inspection.deviation =
      n > 1 ? std::sqrt(std::max(0.0, (squares - sum * inspection.mean) / (n - 1))) : 0;
  const auto pairs =
      static_cast<std::uint64_t>(roi.width - 1) * static_cast<std::uint64_t>(roi.height);
  inspection.noise =
      pairs > 0 ? InterpolatedMedian(differences, pairs) * NeighbourDifferenceToDeviation : 0;
  const double noise = std::max(inspection.noise, SmallestNoise);

  const Plane plane{inspection.mean, SlopeAlong(columnSums, roi.height),
                    SlopeAlong(rowSums, roi.width), roi.x + (roi.width - 1) / 2.0,
                    roi.y + (roi.height - 1) / 2.0};
  inspection.outlierLines = StrayLines(rowSums, roi.width, plane.mean, plane.slopeY, noise) +
                            StrayLines(columnSums, roi.height, plane.mean, plane.slopeX, noise);

  const double pixelLimit = OutlierBeyondNoise * noise;
  for (int y = roi.y; y < roi.bottom(); ++y) {
    const auto row = image.row(y);
    const double start = plane.at(roi.x, y);
    for (int x = roi.x; x < roi.right(); ++x) {
      const double expected = start + plane.slopeX * (x - roi.x);
      inspection.outlierPixels +=
          std::abs(row[static_cast<std::size_t>(x)] - expected) > pixelLimit;
    }
  }
  return inspection;
}

}  // namespace imaging
