#include "background_continuity.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

#include "linear_system.h"
#include "robust_statistics.h"

namespace imaging {

namespace {

constexpr int FieldMarginBlocks = 1;
constexpr int SurroundBlocks = 3;
constexpr int RefitSteps = 2;
constexpr double KeepWithinNoise = 4;
constexpr double DepartureInNoise = 5;
constexpr double DepartureShareOfContrast = 0.01;
constexpr int ResidualLag = 2;  // blocks this far apart share no noise through a detector's blur
constexpr double SmallestNoise = 0.1;  // stored values: a noiseless image still has rounding

// The index i of n values scaled to t in [-1, 1], which keeps the normal equations well
// conditioned.
double Scaled(std::size_t i, std::size_t n) {
  const double half = std::max(1.0, (static_cast<double>(n) - 1) / 2);
  return (static_cast<double>(i) - half) / half;
}

// Least squares of a + b t + c t² over the values that count.
std::optional<Vector<3>> FitQuadratic(const std::vector<double>& values,
                                      const std::vector<bool>& counts) {
  std::array<Vector<3>, 3> matrix{};
  Vector<3> right{};
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (!counts[i]) continue;
    const double t = Scaled(i, values.size());
    const Vector<3> terms{1, t, t * t};
    for (std::size_t row = 0; row < 3; ++row) {
      for (std::size_t column = 0; column < 3; ++column)
        matrix[row][column] += terms[row] * terms[column];
      right[row] += terms[row] * values[i];
    }
  }
  return SolveLinear<3>(matrix, right);
}

}  // namespace

BackgroundAlongChestWall::BackgroundAlongChestWall(const ExposureSurvey& survey, const Roi& band)
    : survey_(survey), alongRows_(survey.chestWall.isVertical()) {
  const BlockMeans& blocks = survey.blocks;
  const int size = blocks.blockSize;
  if (blocks.means.empty() || size <= 0) return;
  const int alongCount = alongRows_ ? blocks.rows : blocks.columns;
  const auto [acrossFrom, acrossTo] = alongRows_ ? blocks.columnsOver(band.x, band.right(), true)
                                                 : blocks.rowsOver(band.y, band.bottom(), true);
  if (acrossTo <= acrossFrom) return;
  const BlockSpan field = along(survey.field.field, true);
  const auto nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> profile(static_cast<std::size_t>(alongCount), nan);
  std::vector<double> across;
  for (int a = field.from + FieldMarginBlocks; a < field.to - FieldMarginBlocks; ++a) {
    across.clear();
    for (int b = acrossFrom; b < acrossTo; ++b) {
      const int column = alongRows_ ? b : a;
      const int row = alongRows_ ? a : b;
      if (survey.overlapsObject(blocks.pixels(column, row))) continue;
      across.push_back(blocks.means[blocks.index(column, row)]);
    }
    if (2 * across.size() >= static_cast<std::size_t>(acrossTo - acrossFrom))
      profile[static_cast<std::size_t>(a)] = Median(across);
  }

  std::vector<double> differences;
  for (std::size_t i = 0; i + ResidualLag < profile.size(); ++i)
    if (!std::isnan(profile[i]) && !std::isnan(profile[i + ResidualLag]))
      differences.push_back(profile[i + ResidualLag] - profile[i]);
  if (differences.size() < 3) return;
  const double centre = Median(differences);
  for (double& difference : differences) difference = std::abs(difference - centre);
  noise_ = std::max(MadToDeviation * Median(differences) / std::sqrt(2.0), SmallestNoise);

  std::vector<bool> counts(profile.size());
  for (std::size_t i = 0; i < profile.size(); ++i) counts[i] = !std::isnan(profile[i]);
  residuals_.assign(profile.size(), nan);
  for (int step = 0; step <= RefitSteps; ++step) {
    const auto fit = FitQuadratic(profile, counts);
    if (!fit) break;
    for (std::size_t i = 0; i < profile.size(); ++i) {
      const double t = Scaled(i, profile.size());
      residuals_[i] = profile[i] - ((*fit)[0] + (*fit)[1] * t + (*fit)[2] * t * t);
      counts[i] = !std::isnan(profile[i]) && std::abs(residuals_[i]) <= KeepWithinNoise * noise_;
    }
  }
}

BlockSpan BackgroundAlongChestWall::along(const Roi& roi, bool wholly) const {
  const BlockMeans& blocks = survey_.blocks;
  return alongRows_ ? blocks.rowsOver(roi.y, roi.bottom(), wholly)
                    : blocks.columnsOver(roi.x, roi.right(), wholly);
}

std::pair<double, int> BackgroundAlongChestWall::meanResidual(BlockSpan span) const {
  double sum = 0;
  int count = 0;
  for (int a = std::max(span.from, 0); a < std::min<int>(span.to, residuals_.size()); ++a) {
    const double residual = residuals_[static_cast<std::size_t>(a)];
    if (std::isnan(residual)) continue;
    sum += residual;
    ++count;
  }
  return {count > 0 ? sum / count : 0, count};
}

BackgroundDeparture BackgroundAlongChestWall::departure(const FoundObject& object,
                                                        const Roi& place) const {
  if (residuals_.empty()) return {};
  const BlockSpan reach = along(object.reach, false);
  const BlockSpan at = along(place, true);
  if (at.to <= at.from || (at.from < reach.to && reach.from < at.to)) return {};
  const bool after = at.from >= reach.to;
  const int length = at.to - at.from;
  const BlockSpan nearSide = after ? BlockSpan{reach.to, reach.to + SurroundBlocks}
                              : BlockSpan{reach.from - SurroundBlocks, reach.from};
  const BlockSpan farSide = after ? BlockSpan{reach.from - SurroundBlocks, reach.from}
                             : BlockSpan{reach.to, reach.to + SurroundBlocks};
  const BlockSpan beyond = after ? BlockSpan{at.to, at.to + length} : BlockSpan{at.from - length, at.from};
  const auto [nearLevel, nearCount] = meanResidual(nearSide);
  const auto [farLevel, farCount] = meanResidual(farSide);
  const auto [placeLevel, countAtPlace] = meanResidual(at);
  if ((nearCount == 0 && farCount == 0) || countAtPlace == 0) return {};
  const int placeCount = countAtPlace;  // a lambda may not capture a structured binding
  const auto limitFor = [&](int count) {
    return std::max(DepartureInNoise * noise_ * std::sqrt(1.0 / placeCount + 1.0 / count),
                    DepartureShareOfContrast * std::abs(object.contrast));
  };
  // The object's surround on the place's side, unless the other side disagrees: then the object
  // lies on the edge of a disturbance, and the side nearer the smooth background counts.
  double surroundLevel = nearLevel;
  int surroundCount = nearCount;
  if (nearCount == 0 || (farCount > 0 && std::abs(nearLevel - farLevel) > limitFor(farCount) &&
                         std::abs(farLevel) < std::abs(nearLevel))) {
    surroundLevel = farLevel;
    surroundCount = farCount;
  }
  const double offset = placeLevel - surroundLevel;
  const double limit = limitFor(surroundCount);
  if (std::abs(offset) <= limit) return {BackgroundBreak::None, offset};
  const auto [beyondLevel, beyondCount] = meanResidual(beyond);
  const bool back = beyondCount > 0 && std::abs(beyondLevel - surroundLevel) <= limit;
  return {back ? BackgroundBreak::Bump : BackgroundBreak::Step, offset};
}

}  // namespace imaging
