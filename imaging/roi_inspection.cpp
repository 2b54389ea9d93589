#include "roi_inspection.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "robust_statistics.h"

namespace imaging {

namespace {

constexpr double OutlierBeyondNoise = 6;
constexpr double SmallestLineOffset = 0.5;  // pixel noise deviations: below it a line is harmless
constexpr double SmallestNoise = 1;
// The residual histogram's bins per plain deviation, and how many: the median of a normal
// magnitude lies near bin 170, beyond the last only what is an outlier anyway.
constexpr double BinsPerDeviation = 256;
constexpr std::size_t ResidualBins = 4096;
// Lines this far apart share no noise through the blur of any detector.
constexpr std::size_t LineLag = 3;
constexpr std::size_t FewestLineDifferences = 8;

// The median of magnitudes from their histogram, read as if each bin's values were spread evenly
// over it, so that the bin width does not round the result.
double InterpolatedMedian(const std::vector<std::uint32_t>& histogram, std::uint64_t count) {
  const double half = static_cast<double>(count) / 2;
  double below = 0;
  for (std::size_t k = 0; k < histogram.size(); ++k) {
    const double here = histogram[k];
    if (below + here >= half && here > 0) return static_cast<double>(k) + (half - below) / here;
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

// Each line's mean less the plane's mean along it.
std::vector<double> LineOffsets(const std::vector<double>& lineSums, int across, double mean,
                                double slope) {
  const auto n = static_cast<double>(lineSums.size());
  std::vector<double> offsets(lineSums.size());
  for (std::size_t i = 0; i < lineSums.size(); ++i)
    offsets[i] = lineSums[i] / across - (mean + slope * (static_cast<double>(i) - (n - 1) / 2));
  return offsets;
}

// The deviation of one line's mean: from the spread of differences LineLag lines apart, about
// their median; for too few lines, that of independent pixels.
double LineNoise(const std::vector<double>& offsets, int across, double pixelNoise) {
  if (offsets.size() < LineLag + FewestLineDifferences) return pixelNoise / std::sqrt(across);
  std::vector<double> differences;
  differences.reserve(offsets.size() - LineLag);
  for (std::size_t i = 0; i + LineLag < offsets.size(); ++i)
    differences.push_back(offsets[i + LineLag] - offsets[i]);
  const double centre = Median(differences);
  for (double& difference : differences) difference = std::abs(difference - centre);
  return MadToDeviation * Median(std::move(differences)) / std::sqrt(2.0);
}

// The lines whose offset exceeds 6 deviations of a line's mean and half a pixel's.
int StrayLines(const std::vector<double>& lineSums, int across, double mean, double slope,
               double pixelNoise) {
  const std::vector<double> offsets = LineOffsets(lineSums, across, mean, slope);
  const double limit = std::max(OutlierBeyondNoise * LineNoise(offsets, across, pixelNoise),
                                SmallestLineOffset * pixelNoise);
  return static_cast<int>(std::count_if(offsets.begin(), offsets.end(),
                                        [&](double offset) { return std::abs(offset) > limit; }));
}

}  // namespace

RoiInspection InspectRoi(const PixelView& image, const Roi& roi) {
  RoiInspection inspection;
  if (roi.count() == 0) return inspection;
  std::vector<double> rowSums(static_cast<std::size_t>(roi.height), 0);
  std::vector<double> columnSums(static_cast<std::size_t>(roi.width), 0);
  double sum = 0;
  double squares = 0;
  const auto rowOf = [&](int y) {
    return image.row(y).subspan(static_cast<std::size_t>(roi.x),
                                static_cast<std::size_t>(roi.width));
  };
  for (int y = roi.y; y < roi.bottom(); ++y) {
    const auto row = rowOf(y);
    std::uint64_t rowSum = 0;
    std::uint64_t rowSquares = 0;
    for (std::size_t x = 0; x < row.size(); ++x) {
      rowSum += row[x];
      rowSquares += std::uint64_t{row[x]} * row[x];
      columnSums[x] += row[x];
    }
    rowSums[static_cast<std::size_t>(y - roi.y)] = static_cast<double>(rowSum);
    sum += static_cast<double>(rowSum);
    squares += static_cast<double>(rowSquares);
  }
  const auto n = static_cast<double>(roi.count());
  inspection.mean = sum / n;
  inspection.deviation =
      n > 1 ? std::sqrt(std::max(0.0, (squares - sum * inspection.mean) / (n - 1))) : 0;
  const Plane plane{inspection.mean, SlopeAlong(columnSums, roi.height),
                    SlopeAlong(rowSums, roi.width), roi.x + (roi.width - 1) / 2.0,
                    roi.y + (roi.height - 1) / 2.0};
  const auto forEachResidual = [&](auto&& visit) {
    for (int y = roi.y; y < roi.bottom(); ++y) {
      const auto row = rowOf(y);
      const double start = plane.at(roi.x, y);
      for (std::size_t x = 0; x < row.size(); ++x)
        visit(std::abs(row[x] - (start + plane.slopeX * static_cast<double>(x))));
    }
  };

  const double binWidth = std::max(inspection.deviation, SmallestNoise) / BinsPerDeviation;
  std::vector<std::uint32_t> histogram(ResidualBins, 0);
  forEachResidual([&](double residual) {
    ++histogram[std::min(static_cast<std::size_t>(residual / binWidth), ResidualBins - 1)];
  });
  inspection.noise = n > 1 ? MadToDeviation * binWidth *
                                 InterpolatedMedian(histogram, static_cast<std::uint64_t>(n))
                           : 0;
  const double noise = std::max(inspection.noise, SmallestNoise);

  inspection.outlierLines = StrayLines(rowSums, roi.width, plane.mean, plane.slopeY, noise) +
                            StrayLines(columnSums, roi.height, plane.mean, plane.slopeX, noise);
  const double pixelLimit = OutlierBeyondNoise * noise;
  forEachResidual([&](double residual) { inspection.outlierPixels += residual > pixelLimit; });
  return inspection;
}

}  // namespace imaging
