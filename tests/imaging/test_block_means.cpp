// The block grid over part of an image: its means, and which blocks a span of pixels covers or
// touches, left of the grid and across its origin included.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imaging/block_means.h"

namespace {

using imaging::BlockMeans;
using imaging::Roi;

TEST(BlockMeans, TilesTheAreaFromItsCornerAndCountsSpansFromThere) {
  // 20 × 12 pixels, each value x + 100 y; blocks of 4 from (3, 2): 4 columns, 2 rows.
  std::vector<std::uint16_t> values;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 20; ++x) values.push_back(static_cast<std::uint16_t>(x + 100 * y));
  const imaging::PixelView image{20, 12, values, 0};
  const BlockMeans blocks = imaging::ComputeBlockMeans(image, 4, Roi{3, 2, 17, 10});
  ASSERT_EQ(blocks.columns, 4);
  ASSERT_EQ(blocks.rows, 2);
  // Block (1, 1) holds x 7…10 and y 6…9: mean 8.5 + 750.
  EXPECT_DOUBLE_EQ(blocks.means[blocks.index(1, 1)], 758.5);
  EXPECT_EQ(blocks.pixels(1, 1, 2, 1), (Roi{7, 6, 8, 4}));

  struct Span {
    int start, end;
    bool wholly;
    int from, to;
  };
  const Span spans[] = {
      {3, 19, true, 0, 4},    // the grid exactly
      {4, 19, true, 1, 4},    // a pixel into the first block: it no longer lies wholly inside
      {4, 8, false, 0, 2},    // touching the first two
      {-9, 2, false, 0, 0},   // left of the grid, across zero
      {-9, 8, true, 0, 1},    // from left of the grid
      {18, 40, false, 3, 4},  // beyond the grid's end
      {10, 10, false, 1, 1},  // empty
  };
  for (const Span& span : spans) {
    SCOPED_TRACE(testing::Message() << span.start << "…" << span.end << " wholly " << span.wholly);
    const imaging::BlockSpan columns = blocks.columnsOver(span.start, span.end, span.wholly);
    EXPECT_EQ(columns.from, span.from);
    EXPECT_EQ(columns.to, span.to);
  }
  EXPECT_EQ(blocks.rowsOver(6, 10, true).from, 1);
  EXPECT_EQ(blocks.rowsOver(1, 7, false).to, 2);

  // An area outside the image gives no grid.
  EXPECT_TRUE(imaging::ComputeBlockMeans(image, 4, Roi{10, 0, 20, 12}).means.empty());
}

}  // namespace
