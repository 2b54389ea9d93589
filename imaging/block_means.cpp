#include "block_means.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace imaging {

namespace {
constexpr int TargetBlocksAlongLongerSide = 512;
constexpr int SmallestBlockSize = 4;

// Rounds towards minus infinity, as a block index left of the grid needs.
int FloorDivide(int value, int divisor) {
  const int quotient = value / divisor;
  return quotient * divisor > value ? quotient - 1 : quotient;
}
}  // namespace

BlockSpan BlockMeans::spanOver(int start, int end, int count, bool wholly) const {
  if (blockSize <= 0) return {};
  if (end <= start) {  // no pixels touch no block
    const int at = std::clamp(FloorDivide(start, blockSize), 0, count);
    return {at, at};
  }
  const int from = wholly ? -FloorDivide(-start, blockSize) : FloorDivide(start, blockSize);
  const int to = wholly ? FloorDivide(end, blockSize) : -FloorDivide(-end, blockSize);
  return {std::clamp(from, 0, count), std::clamp(to, 0, count)};
}

int ChooseBlockSize(int width, int height) {
  const int longerSide = std::max({width, height, 0});
  const int size = (longerSide + TargetBlocksAlongLongerSide - 1) / TargetBlocksAlongLongerSide;
  return std::max(size, SmallestBlockSize);
}

BlockMeans ComputeBlockMeans(const PixelView& image, int blockSize, const Roi& area) {
  BlockMeans blocks;
  blocks.blockSize = blockSize;
  blocks.originX = area.x;
  blocks.originY = area.y;
  if (blockSize <= 0 || area.width < blockSize || area.height < blockSize ||
      !area.fitsIn(image.width, image.height))
    return blocks;
  blocks.columns = area.width / blockSize;
  blocks.rows = area.height / blockSize;
  blocks.means.resize(static_cast<std::size_t>(blocks.columns) *
                      static_cast<std::size_t>(blocks.rows));

  // Summing whole rows into per-column totals first keeps the inner loop long and simple enough
  // for the compiler to vectorise; a column total of blockSize 16-bit values fits 32 bits.
  const auto usedWidth = static_cast<std::size_t>(blocks.columns) * blockSize;
  std::vector<std::uint32_t> columnTotals(usedWidth);
  const double pixelsPerBlock = static_cast<double>(blockSize) * blockSize;
  for (int blockRow = 0; blockRow < blocks.rows; ++blockRow) {
    std::fill(columnTotals.begin(), columnTotals.end(), 0u);
    for (int y = blockRow * blockSize; y < (blockRow + 1) * blockSize; ++y) {
      const auto line = image.row(area.y + y).subspan(static_cast<std::size_t>(area.x));
      for (std::size_t x = 0; x < usedWidth; ++x) columnTotals[x] += line[x];
    }
    for (int column = 0; column < blocks.columns; ++column) {
      const auto first = columnTotals.begin() + static_cast<std::ptrdiff_t>(column) * blockSize;
      const std::uint64_t sum = std::accumulate(first, first + blockSize, std::uint64_t{0});
      blocks.means[blocks.index(column, blockRow)] = static_cast<double>(sum) / pixelsPerBlock;
    }
  }
  return blocks;
}

}  // namespace imaging
