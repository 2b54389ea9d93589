#include "object_finder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "background_fit.h"
#include "block_means.h"

namespace imaging {

namespace {

constexpr double MarkBeyondNoise = 5;  // a false mark is a one in a million event per block
constexpr int SmallestSide = 3;        // blocks
constexpr double SmallestFill = 0.7;   // of the bounding box: a rectangle, not a blotch
// The surroundings of an object, in blocks out from its box: clear of the edge's uncertainty.
constexpr int SurroundingsFrom = 2;
constexpr int SurroundingsTo = 3;

// A rectangle of blocks, [left, right) × [top, bottom).
struct BlockBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }
  Roi grown(int blocks, int blockSize) const {
    return {(left - blocks) * blockSize, (top - blocks) * blockSize,
            (width() + 2 * blocks) * blockSize, (height() + 2 * blocks) * blockSize};
  }
};

struct Region {
  int label = 0;
  long long count = 0;
  BlockBox box;
  bool touchesBorder = false;
};

// +1, -1 or 0 for each block: above, below or within the background's noise band.
std::vector<std::int8_t> MarkBlocks(const BackgroundFit& background) {
  const double limit = MarkBeyondNoise * background.noise;
  std::vector<std::int8_t> marks(background.residuals.size());
  for (std::size_t i = 0; i < marks.size(); ++i) {
    const double residual = background.residuals[i];
    marks[i] = residual > limit ? 1 : residual < -limit ? -1 : 0;
  }
  return marks;
}

// Whether the box's inner blocks differ from the background at least twice as much as its
// surroundings do: an object has an edge, while a slow swell of the background that the fitted
// surface does not follow carries on around the box.
bool StandsOut(const BlockMeans& blocks, const std::vector<double>& residuals,
               const BlockBox& box) {
  double inside = 0;
  double around = 0;
  int insideCount = 0;
  int aroundCount = 0;
  for (int row = std::max(0, box.top - SurroundingsTo);
       row < std::min(blocks.rows, box.bottom + SurroundingsTo); ++row) {
    for (int column = std::max(0, box.left - SurroundingsTo);
         column < std::min(blocks.columns, box.right + SurroundingsTo); ++column) {
      const double residual = residuals[blocks.index(column, row)];
      const int outward = std::max(
          {box.left - column, column - (box.right - 1), box.top - row, row - (box.bottom - 1)});
      if (outward < 0) {
        inside += residual;
        ++insideCount;
      } else if (outward >= SurroundingsFrom) {
        around += residual;
        ++aroundCount;
      }
    }
  }
  return insideCount > 0 && aroundCount > 0 &&
         2 * std::abs(around / aroundCount) < std::abs(inside / insideCount);
}

// Labels the 4-connected regions of equal non-zero marks (labels from 1) and returns the largest
// rectangular one that keeps off the grid border and stands out from its surroundings.
std::optional<Region> LargestRectangularRegion(const BlockMeans& blocks,
                                               const BackgroundFit& background,
                                               const std::vector<std::int8_t>& marks,
                                               std::vector<int>& labels) {
  labels.assign(marks.size(), 0);
  std::optional<Region> best;
  std::vector<std::size_t> pending;
  int nextLabel = 0;
  for (std::size_t seed = 0; seed < marks.size(); ++seed) {
    if (marks[seed] == 0 || labels[seed] != 0) continue;
    Region region;
    region.label = ++nextLabel;
    const int seedColumn = static_cast<int>(seed % static_cast<std::size_t>(blocks.columns));
    const int seedRow = static_cast<int>(seed / static_cast<std::size_t>(blocks.columns));
    region.box = {seedColumn, seedRow, seedColumn + 1, seedRow + 1};
    labels[seed] = region.label;
    pending.assign(1, seed);
    while (!pending.empty()) {
      const std::size_t i = pending.back();
      pending.pop_back();
      ++region.count;
      const int column = static_cast<int>(i % static_cast<std::size_t>(blocks.columns));
      const int row = static_cast<int>(i / static_cast<std::size_t>(blocks.columns));
      region.box = {std::min(region.box.left, column), std::min(region.box.top, row),
                    std::max(region.box.right, column + 1), std::max(region.box.bottom, row + 1)};
      region.touchesBorder = region.touchesBorder || column == 0 || row == 0 ||
                             column == blocks.columns - 1 || row == blocks.rows - 1;
      const auto visit = [&](int neighbourColumn, int neighbourRow) {
        if (neighbourColumn < 0 || neighbourRow < 0 || neighbourColumn >= blocks.columns ||
            neighbourRow >= blocks.rows)
          return;
        const std::size_t neighbour = blocks.index(neighbourColumn, neighbourRow);
        if (marks[neighbour] != marks[seed] || labels[neighbour] != 0) return;
        labels[neighbour] = region.label;
        pending.push_back(neighbour);
      };
      visit(column - 1, row);
      visit(column + 1, row);
      visit(column, row - 1);
      visit(column, row + 1);
    }
    const BlockBox& box = region.box;
    const bool qualifies =
        !region.touchesBorder && box.width() >= SmallestSide && box.height() >= SmallestSide &&
        static_cast<double>(region.count) >= SmallestFill * box.width() * box.height();
    if (qualifies && (!best || region.count > best->count) &&
        StandsOut(blocks, background.residuals, box))
      best = region;
  }
  return best;
}

// Trims edge rows and columns of the region's box that the region fills less than half.
BlockBox TrimmedBox(const BlockMeans& blocks, const std::vector<int>& labels,
                    const Region& region) {
  BlockBox box = region.box;
  const auto countInRow = [&](int row) {
    int count = 0;
    for (int column = box.left; column < box.right; ++column)
      count += labels[blocks.index(column, row)] == region.label;
    return count;
  };
  const auto countInColumn = [&](int column) {
    int count = 0;
    for (int row = box.top; row < box.bottom; ++row)
      count += labels[blocks.index(column, row)] == region.label;
    return count;
  };
  while (box.width() >= SmallestSide && box.height() >= SmallestSide) {
    if (2 * countInRow(box.top) < box.width())
      ++box.top;
    else if (2 * countInRow(box.bottom - 1) < box.width())
      --box.bottom;
    else if (2 * countInColumn(box.left) < box.height())
      ++box.left;
    else if (2 * countInColumn(box.right - 1) < box.height())
      --box.right;
    else
      break;
  }
  return box;
}

}  // namespace

std::optional<FoundObject> FindObject(const PixelView& image) {
  const int blockSize = ChooseBlockSize(image.width, image.height);
  const BlockMeans blocks = ComputeBlockMeans(image, blockSize);
  // The object needs a ring of background blocks around its own.
  if (blocks.columns < SmallestSide + 2 || blocks.rows < SmallestSide + 2) return std::nullopt;
  const std::optional<BackgroundFit> background = FitBackground(blocks);
  if (!background) return std::nullopt;
  std::vector<int> labels;
  const std::optional<Region> region =
      LargestRectangularRegion(blocks, *background, MarkBlocks(*background), labels);
  if (!region) return std::nullopt;
  const BlockBox trimmed = TrimmedBox(blocks, labels, *region);
  if (trimmed.width() < SmallestSide || trimmed.height() < SmallestSide) return std::nullopt;
  return FoundObject{trimmed.grown(0, blockSize), trimmed.grown(-1, blockSize),
                     region->box.grown(1, blockSize), blockSize};
}

}  // namespace imaging
