#include "object_finder.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace imaging {

namespace {

constexpr double MarkBeyondNoise = 5;
constexpr double JoinWithinShare = 0.2;  // of the region's mean residual
constexpr double JoinWithinNoise = 4;
constexpr int SmallestSide = 3;            // blocks
constexpr double SmallestCoreShare = 0.5;  // of the region: a rectangle, not a blotch
// The surroundings of an object, in blocks out from its core: clear of the edge's uncertainty.
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
  long long area() const { return static_cast<long long>(width()) * height(); }
  Roi grown(int by, const BlockMeans& blocks) const {
    return blocks.pixels(left - by, top - by, width() + 2 * by, height() + 2 * by);
  }
};

struct Region {
  int label = 0;
  long long count = 0;
  double level = 0;  // mean residual
  BlockBox box;
  bool touchesBorder = false;
};

// Grows the region of the seed block over 4-connected blocks of its sign and level.
Region GrowRegion(const BlockMeans& blocks, const BackgroundFit& background,
                  const std::vector<std::int8_t>& marks, std::size_t seed, int label,
                  std::vector<int>& labels, std::vector<std::size_t>& pending) {
  const auto columnOf = [&](std::size_t i) {
    return static_cast<int>(i % static_cast<std::size_t>(blocks.columns));
  };
  const auto rowOf = [&](std::size_t i) {
    return static_cast<int>(i / static_cast<std::size_t>(blocks.columns));
  };
  Region region;
  region.label = label;
  region.box = {columnOf(seed), rowOf(seed), columnOf(seed) + 1, rowOf(seed) + 1};
  double sum = 0;
  const auto join = [&](std::size_t i) {
    labels[i] = label;
    pending.push_back(i);
    sum += background.surfaceResiduals[i];
    ++region.count;
    region.level = sum / static_cast<double>(region.count);
  };
  join(seed);
  const double noiseBand = JoinWithinNoise * background.noise;
  while (!pending.empty()) {
    const std::size_t i = pending.back();
    pending.pop_back();
    const int column = columnOf(i);
    const int row = rowOf(i);
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
      const double tolerance = std::max(JoinWithinShare * std::abs(region.level), noiseBand);
      if (std::abs(background.surfaceResiduals[neighbour] - region.level) > tolerance) return;
      join(neighbour);
    };
    visit(column - 1, row);
    visit(column + 1, row);
    visit(column, row - 1);
    visit(column, row + 1);
  }
  return region;
}

// The largest rectangle of the region's box whose blocks are the region's own, or unlabelled
// blocks nearer its level than the background (holes that noise left in a faint object).
BlockBox CoreOf(const BlockMeans& blocks, const BackgroundFit& background,
                const std::vector<int>& labels, const Region& region) {
  const BlockBox& box = region.box;
  const auto inCore = [&](int column, int row) {
    const std::size_t i = blocks.index(column, row);
    if (labels[i] == region.label) return true;
    return labels[i] == 0 && std::abs(background.surfaceResiduals[i] - region.level) <
                                 std::abs(background.surfaceResiduals[i]);
  };
  // Row by row, the height of the run of core blocks ending there in each column; the largest
  // rectangle under that histogram by the usual stack of rising heights.
  std::vector<int> heights(static_cast<std::size_t>(box.width()), 0);
  std::vector<int> rising;
  BlockBox best;
  for (int row = box.top; row < box.bottom; ++row) {
    for (int column = box.left; column < box.right; ++column) {
      int& height = heights[static_cast<std::size_t>(column - box.left)];
      height = inCore(column, row) ? height + 1 : 0;
    }
    rising.clear();
    for (int k = 0; k <= box.width(); ++k) {
      const int height = k < box.width() ? heights[static_cast<std::size_t>(k)] : 0;
      while (!rising.empty() && heights[static_cast<std::size_t>(rising.back())] >= height) {
        const int top = heights[static_cast<std::size_t>(rising.back())];
        rising.pop_back();
        const int left = rising.empty() ? 0 : rising.back() + 1;
        const BlockBox candidate{box.left + left, row + 1 - top, box.left + k, row + 1};
        if (candidate.area() > best.area()) best = candidate;
      }
      rising.push_back(k);
    }
  }
  return best;
}

// Whether the core differs from the background at least twice as much as its surroundings do:
// an object has an edge, while a slow swell of the background that the fitted surface does not
// follow carries on around it. The surroundings are the blocks of no region: a marker beside
// the object, or the rest of an object that a line splits, is no background.
bool StandsOut(const BlockMeans& blocks, const std::vector<double>& residuals,
               const std::vector<int>& labels, const BlockBox& box) {
  double inside = 0;
  double around = 0;
  int insideCount = 0;
  int aroundCount = 0;
  for (int row = std::max(0, box.top - SurroundingsTo);
       row < std::min(blocks.rows, box.bottom + SurroundingsTo); ++row) {
    for (int column = std::max(0, box.left - SurroundingsTo);
         column < std::min(blocks.columns, box.right + SurroundingsTo); ++column) {
      const std::size_t i = blocks.index(column, row);
      const double residual = residuals[i];
      const int outward = std::max(
          {box.left - column, column - (box.right - 1), box.top - row, row - (box.bottom - 1)});
      if (outward < 0) {
        inside += residual;
        ++insideCount;
      } else if (outward >= SurroundingsFrom && labels[i] == 0) {
        around += residual;
        ++aroundCount;
      }
    }
  }
  return insideCount > 0 && aroundCount > 0 &&
         2 * std::abs(around / aroundCount) < std::abs(inside / insideCount);
}

FoundObject Describe(const BlockMeans& blocks, const BackgroundFit& background,
                     const BlockBox& core, const Region& region) {
  double residuals = 0;
  double means = 0;
  for (int row = core.top; row < core.bottom; ++row) {
    for (int column = core.left; column < core.right; ++column) {
      const std::size_t i = blocks.index(column, row);
      residuals += background.residuals[i];
      means += blocks.means[i];
    }
  }
  const auto count = static_cast<double>(core.area());
  return {core.grown(0, blocks),
          core.grown(-1, blocks),
          region.box.grown(1, blocks),
          blocks.blockSize,
          residuals / count,
          (means - residuals) / count};
}

}  // namespace

std::vector<std::int8_t> MarkBlocks(const BackgroundFit& background) {
  const double limit = MarkBeyondNoise * background.noise;
  std::vector<std::int8_t> marks(background.residuals.size());
  for (std::size_t i = 0; i < marks.size(); ++i) {
    const double residual = background.residuals[i];
    marks[i] = residual > limit ? 1 : residual < -limit ? -1 : 0;
  }
  return marks;
}

std::vector<FoundObject> FindObjects(const BlockMeans& blocks, const BackgroundFit& background,
                                     const std::vector<std::int8_t>& marks) {
  std::vector<int> labels(marks.size(), 0);
  std::vector<Region> regions;
  std::vector<std::size_t> pending;
  for (std::size_t seed = 0; seed < marks.size(); ++seed) {
    if (marks[seed] == 0 || labels[seed] != 0) continue;
    regions.push_back(GrowRegion(blocks, background, marks, seed,
                                 static_cast<int>(regions.size()) + 1, labels, pending));
  }
  std::vector<std::pair<long long, FoundObject>> found;
  for (const Region& region : regions) {
    if (region.touchesBorder || region.box.width() < SmallestSide ||
        region.box.height() < SmallestSide)
      continue;
    const BlockBox core = CoreOf(blocks, background, labels, region);
    if (core.width() < SmallestSide || core.height() < SmallestSide ||
        static_cast<double>(core.area()) < SmallestCoreShare * static_cast<double>(region.count) ||
        !StandsOut(blocks, background.residuals, labels, core))
      continue;
    found.emplace_back(core.area(), Describe(blocks, background, core, region));
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<FoundObject> objects;
  for (auto& [area, object] : found) objects.push_back(object);
  return objects;
}

}  // namespace imaging
