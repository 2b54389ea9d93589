// Footprints against a plain count over each one's pixels, zoomed out and in, at odd origins.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "measure/footprint.h"

namespace {

TEST(Footprint, AgreesWithAPlainCountAtAnyZoomAndOrigin) {
  constexpr int Width = 97, Height = 61;
  std::mt19937 random(5);
  std::vector<std::uint16_t> values(Width * Height);
  for (std::uint16_t& value : values) value = static_cast<std::uint16_t>(random() & 0xFFFF);
  const imaging::PixelView image{Width, Height, values, 0};
  const struct {
    double originX, originY, step;
    int deviceWidth, deviceHeight;
  } cases[] = {{0, 0, 4.3, 30, 20}, {-7.5, 3.2, 2.5, 50, 30}, {10.7, -2.1, 0.37, 80, 90},
               {0, 0, 1, 97, 61},   {-20, -20, 7.9, 40, 40}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "step " << c.step);
    const auto columns = measure::FootprintsAlong(c.originX, c.step, c.deviceWidth, Width);
    const auto rows = measure::FootprintsAlong(c.originY, c.step, c.deviceHeight, Height);
    const auto footprints = measure::ComputeFootprints(image, columns, rows);
    ASSERT_EQ(footprints.size(), columns.from.size() * rows.from.size());
    for (std::size_t row = 0; row < rows.from.size(); ++row) {
      for (std::size_t column = 0; column < columns.from.size(); ++column) {
        std::uint64_t sum = 0, count = 0;
        std::uint16_t lowest = 0xFFFF, highest = 0;
        for (int y = rows.from[row]; y < rows.to[row]; ++y) {
          for (int x = columns.from[column]; x < columns.to[column]; ++x) {
            const std::uint16_t value = values[static_cast<std::size_t>(y * Width + x)];
            sum += value;
            ++count;
            lowest = std::min(lowest, value);
            highest = std::max(highest, value);
          }
        }
        const measure::Footprint& f = footprints[row * columns.from.size() + column];
        ASSERT_EQ(f.mean, (sum + count / 2) / count) << row << "," << column;
        ASSERT_EQ(f.lowest, lowest);
        ASSERT_EQ(f.highest, highest);
      }
    }
  }
}

}  // namespace
