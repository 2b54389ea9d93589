#include "footprint.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace measure {

AxisFootprints FootprintsAlong(double origin, double step, int deviceExtent, int imageExtent) {
  AxisFootprints axis;
  for (int pixel = 0; pixel < deviceExtent; ++pixel) {
    const double centre = std::floor(origin + (pixel + 0.5) * step);
    if (centre < 0) {
      axis.first = pixel + 1;
      continue;
    }
    if (centre >= imageExtent) break;
    const int at = static_cast<int>(centre);
    if (step <= 1) {
      axis.from.push_back(at);
      axis.to.push_back(at + 1);
      continue;
    }
    // The pixel's edges, clamped to the image where the device pixel reaches past it.
    const double from = std::floor(origin + pixel * step);
    const double to = std::floor(origin + (pixel + 1) * step);
    axis.from.push_back(static_cast<int>(std::clamp(from, 0.0, centre)));
    axis.to.push_back(
        static_cast<int>(std::clamp(to, centre + 1, static_cast<double>(imageExtent))));
  }
  return axis;
}

std::vector<Footprint> ComputeFootprints(const imaging::PixelView& image,
                                         const AxisFootprints& columns,
                                         const AxisFootprints& rows) {
  const std::size_t width = columns.from.size();
  std::vector<Footprint> footprints(width * rows.from.size());
  if (width == 0) return footprints;
  // Down the rows of one row of footprints first, over every image column the footprints
  // touch: long plain loops the compiler vectorises. A column total of at most 32768 values
  // below 2^16 fits 32 bits.
  const int left = columns.from.front();
  const auto span = static_cast<std::size_t>(columns.to.back() - left);
  std::vector<std::uint32_t> sums(span);
  std::vector<std::uint16_t> lowest(span);
  std::vector<std::uint16_t> highest(span);
  for (std::size_t row = 0; row < rows.from.size(); ++row) {
    const std::uint16_t* first = image.row(rows.from[row]).data() + left;
    std::copy(first, first + span, lowest.begin());
    std::copy(first, first + span, highest.begin());
    std::copy(first, first + span, sums.begin());
    for (int y = rows.from[row] + 1; y < rows.to[row]; ++y) {
      const std::uint16_t* line = image.row(y).data() + left;
      for (std::size_t x = 0; x < span; ++x) {
        sums[x] += line[x];
        lowest[x] = std::min(lowest[x], line[x]);
        highest[x] = std::max(highest[x], line[x]);
      }
    }
    const auto height = static_cast<std::uint64_t>(rows.to[row] - rows.from[row]);
    for (std::size_t column = 0; column < width; ++column) {
      const auto from = static_cast<std::size_t>(columns.from[column] - left);
      const auto to = static_cast<std::size_t>(columns.to[column] - left);
      std::uint64_t sum = 0;
      for (std::size_t x = from; x < to; ++x) sum += sums[x];
      const std::uint64_t count = height * (to - from);
      footprints[row * width + column] = {
          static_cast<std::uint16_t>((sum + count / 2) / count),
          *std::min_element(lowest.begin() + static_cast<std::ptrdiff_t>(from),
                            lowest.begin() + static_cast<std::ptrdiff_t>(to)),
          *std::max_element(highest.begin() + static_cast<std::ptrdiff_t>(from),
                            highest.begin() + static_cast<std::ptrdiff_t>(to))};
    }
  }
  return footprints;
}

}  // namespace measure
