// Small statistics the survey, the placement and the inspection of ROIs share: medians, the
// factors that turn robust spreads into standard deviations, and the slope of a least-squares
// plane over a rectangular grid.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace imaging {

// Median |value - median| to standard deviation, for normal noise.
inline constexpr double MadToDeviation = 1.4826;
// Median |difference of two neighbours| to the standard deviation of each, for normal noise:
// the difference spreads sqrt(2) times as much.
inline constexpr double NeighbourDifferenceToDeviation = MadToDeviation / 1.4142135623730951;

// The upper of the two middle values of an even count, the middle value of an odd one: always
// one of the values, which a narrow strip of an image's profile needs. Values must not be empty.
inline double UpperMedian(std::vector<double> values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// The median, of an even count the mean of the middle two, so that negated values give the
// negated median and an inverted image the same results; values must not be empty.
inline double Median(std::vector<double> values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  if (values.size() % 2 != 0) return *middle;
  return (*middle + *std::max_element(values.begin(), middle)) / 2;
}

// The slope along one axis of the least-squares plane over a rectangular grid, from the sums of
// the grid's lines across that axis (each of `across` values), per step along it: positions
// counted from the axis' centre, where the slope does not depend on the mean.
// Example: line sums {0, 2, 4} of lines of 2 values give the slope 1.
inline double SlopeAlong(const std::vector<double>& lineSums, int across) {
  const auto n = static_cast<double>(lineSums.size());
  if (n < 2) return 0;
  double moment = 0;
  for (std::size_t i = 0; i < lineSums.size(); ++i)
    moment += (static_cast<double>(i) - (n - 1) / 2) * lineSums[i];
  return moment / (n * (n * n - 1) / 12 * across);
}

}  // namespace imaging
