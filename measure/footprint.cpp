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
  struct Accumulator {
    std::uint64_t sum = 0;
    std::uint16_t lowest = UINT16_MAX;
    std::uint16_t highest = 0;
  };
  const std::size_t width = columns.from.size();
  std::vector<Footprint> footprints(width * rows.from.size());
  std::vector<Accumulator> accumulators(width);
  for (std::size_t row = 0; row < rows.from.size(); ++row) {
    std::fill(accumulators.begin(), accumulators.end(), Accumulator{});
    for (int y = rows.from[row]; y < rows.to[row]; ++y) {
      const std::uint16_t* line = image.row(y).data();
      for (std::size_t column = 0; column < width; ++column) {
        // A footprint's part of one row: at most 32768 values, whose sum fits 32 bits.
        std::uint32_t sum = 0;
        std::uint16_t lowest = UINT16_MAX;
        std::uint16_t highest = 0;
        for (int x = columns.from[column]; x < columns.to[column]; ++x) {
          sum += line[x];
          lowest = std::min(lowest, line[x]);
          highest = std::max(highest, line[x]);
        }
        Accumulator& total = accumulators[column];
        total.sum += sum;
        total.lowest = std::min(total.lowest, lowest);
        total.highest = std::max(total.highest, highest);
      }
    }
    const auto height = static_cast<std::uint64_t>(rows.to[row] - rows.from[row]);
    for (std::size_t column = 0; column < width; ++column) {
      const Accumulator& total = accumulators[column];
      const std::uint64_t count =
          height * static_cast<std::uint64_t>(columns.to[column] - columns.from[column]);
      footprints[row * width + column] = {
          static_cast<std::uint16_t>((total.sum + count / 2) / count), total.lowest, total.highest};
    }
  }
  return footprints;
}

}  // namespace measure
