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
constexpr int StandInBlocks = 3;  // on each side across, beyond where the object may reach
constexpr int RefitSteps = 2;
constexpr double KeepWithinNoise = 4;
constexpr int SmallestStepSide = 3;  // values on either side of a step
// A step must lower the weighted squares by this much, as a step of 5 deviations of its own
// estimate does; a smaller one is the noise's.
constexpr double StepSignificance = 25;
constexpr int SeamSurroundings = 10;       // values on either side of a step
constexpr double SmallestKeptShare = 0.8;  // of them, for the step to be a seam
constexpr double DepartureInNoise = 5;
constexpr double DepartureShareOfContrast = 0.01;
constexpr int ResidualLag = 2;  // blocks this far apart share no noise through a detector's blur
constexpr double SmallestNoise = 0.1;  // stored values: a noiseless image still has rounding

const double NotAValue = std::numeric_limits<double>::quiet_NaN();

// The index i of n values scaled to t in [-1, 1], which keeps the normal equations well
// conditioned.
double Scaled(std::size_t i, std::size_t n) {
  const double half = std::max(1.0, (static_cast<double>(n) - 1) / 2);
  return (static_cast<double>(i) - half) / half;
}

// The noise of one value of a profile: the spread of the differences of values two apart about
// their median, so that neither a slope nor a step, which moves few of them, counts.
std::optional<double> ProfileNoise(const std::vector<double>& profile) {
  std::vector<double> differences;
  for (std::size_t i = 0; i + ResidualLag < profile.size(); ++i)
    if (!std::isnan(profile[i]) && !std::isnan(profile[i + ResidualLag]))
      differences.push_back(profile[i + ResidualLag] - profile[i]);
  if (differences.size() < 3) return std::nullopt;
  const double centre = Median(differences);
  for (double& difference : differences) difference = std::abs(difference - centre);
  return std::max(MadToDeviation * Median(differences) / std::sqrt(2.0), SmallestNoise);
}

// a + b t + c t² and, from index `step` on, d more; step -1 when there is none.
struct SmoothFit {
  Vector<3> quadratic{};
  int step = -1;
  double height = 0;

  double smooth(double t) const { return quadratic[0] + quadratic[1] * t + quadratic[2] * t * t; }
  double model(std::size_t i, double t) const {
    return smooth(t) + (step >= 0 && static_cast<int>(i) >= step ? height : 0);
  }
};

// Weighted least squares of the quadratic with and without each step the values allow, the best
// kept; sums from each index on make every step's normal equations cost the same few operations.
std::optional<SmoothFit> FitWithStep(const std::vector<double>& values,
                                     const std::vector<double>& weights, bool stepAllowed) {
  const std::size_t n = values.size();
  // Per index: w, w t, w t², w t³, w t⁴, w y, w t y, w t² y, w y², counted 1.
  using Terms = std::array<double, 10>;
  std::vector<Terms> fromHere(n + 1, Terms{});
  for (std::size_t i = n; i-- > 0;) {
    Terms terms{};
    if (weights[i] > 0) {
      const double t = Scaled(i, n);
      const double w = weights[i];
      const double y = values[i];
      terms = {w,     w * t,     w * t * t,     w * t * t * t, w * t * t * t * t,
               w * y, w * t * y, w * t * t * y, w * y * y,     1};
    }
    for (std::size_t k = 0; k < terms.size(); ++k) fromHere[i][k] = fromHere[i + 1][k] + terms[k];
  }
  const Terms& all = fromHere[0];
  const std::array<Vector<3>, 3> plain = {Vector<3>{all[0], all[1], all[2]},
                                          Vector<3>{all[1], all[2], all[3]},
                                          Vector<3>{all[2], all[3], all[4]}};
  const Vector<3> plainRight{all[5], all[6], all[7]};
  const auto quadratic = SolveLinear<3>(plain, plainRight);
  if (!quadratic) return std::nullopt;
  SmoothFit best{*quadratic};
  const double plainSquares =
      all[8] - ((*quadratic)[0] * all[5] + (*quadratic)[1] * all[6] + (*quadratic)[2] * all[7]);
  double bestSquares = plainSquares - StepSignificance;
  for (std::size_t k = 1; stepAllowed && k < n; ++k) {
    const Terms& after = fromHere[k];
    if (after[9] < SmallestStepSide || all[9] - after[9] < SmallestStepSide) continue;
    std::array<Vector<4>, 4> matrix = {Vector<4>{all[0], all[1], all[2], after[0]},
                                       Vector<4>{all[1], all[2], all[3], after[1]},
                                       Vector<4>{all[2], all[3], all[4], after[2]},
                                       Vector<4>{after[0], after[1], after[2], after[0]}};
    const Vector<4> right{all[5], all[6], all[7], after[5]};
    const auto fit = SolveLinear<4>(matrix, right);
    if (!fit) continue;
    const double squares = all[8] - ((*fit)[0] * right[0] + (*fit)[1] * right[1] +
                                     (*fit)[2] * right[2] + (*fit)[3] * right[3]);
    if (squares < bestSquares) {
      bestSquares = squares;
      best = {{(*fit)[0], (*fit)[1], (*fit)[2]}, static_cast<int>(k), (*fit)[3]};
    }
  }
  return best;
}

// Whether most values within SeamSurroundings of a step on either side were kept by the fit.
bool StaysOnModel(const std::vector<double>& values, const std::vector<double>& weights, int step) {
  for (const int direction : {-1, 1}) {
    int valued = 0;
    int kept = 0;
    for (int distance = 0; distance < SeamSurroundings; ++distance) {
      const int i = direction < 0 ? step - 1 - distance : step + distance;
      if (i < 0 || i >= static_cast<int>(values.size())) break;
      if (std::isnan(values[static_cast<std::size_t>(i)])) continue;
      ++valued;
      kept += weights[static_cast<std::size_t>(i)] > 0;
    }
    if (kept < SmallestKeptShare * valued) return false;
  }
  return true;
}

}  // namespace

BackgroundAlongChestWall::BackgroundAlongChestWall(const ExposureSurvey& survey,
                                                   const FoundObject& object, const Roi& band)
    : survey_(survey), object_(object), alongRows_(survey.chestWall.isVertical()) {
  const BlockMeans& blocks = survey.blocks;
  if (blocks.means.empty() || blocks.blockSize <= 0) return;
  const int alongCount = alongRows_ ? blocks.rows : blocks.columns;
  const int acrossCount = alongRows_ ? blocks.columns : blocks.rows;
  const auto acrossOf = [&](const Roi& roi, bool wholly) {
    return alongRows_ ? blocks.columnsOver(roi.x, roi.right(), wholly)
                      : blocks.rowsOver(roi.y, roi.bottom(), wholly);
  };
  const BlockSpan bandSpan = acrossOf(band, true);
  if (bandSpan.to <= bandSpan.from) return;
  const BlockSpan reach = acrossOf(object.reach, false);
  const std::array<BlockSpan, 2> standInSpans = {
      BlockSpan{std::max(reach.from - StandInBlocks, 0), reach.from},
      BlockSpan{reach.to, std::min(reach.to + StandInBlocks, acrossCount)}};

  // The median of the blocks at `a` along that no object may reach, if there are `fewest`.
  std::vector<double> across;
  const auto medianAt = [&](int a, BlockSpan span, std::size_t fewest) {
    across.clear();
    for (int b = span.from; b < span.to; ++b) {
      const int column = alongRows_ ? b : a;
      const int row = alongRows_ ? a : b;
      if (survey.overlapsObject(blocks.pixels(column, row))) continue;
      across.push_back(blocks.means[blocks.index(column, row)]);
    }
    return across.size() >= std::max<std::size_t>(fewest, 1) ? Median(across) : NotAValue;
  };
  const auto count = static_cast<std::size_t>(alongCount);
  std::vector<double> bandValues(count, NotAValue);
  std::array<std::vector<double>, 2> sides;  // the stand-ins' medians on either side
  const auto bandBlocks = static_cast<std::size_t>(bandSpan.to - bandSpan.from);
  for (std::size_t side = 0; side < sides.size(); ++side) sides[side].assign(count, NotAValue);
  for (int a = FieldMarginBlocks; a < alongCount - FieldMarginBlocks; ++a) {
    const auto i = static_cast<std::size_t>(a);
    bandValues[i] = medianAt(a, bandSpan, (bandBlocks + 1) / 2);
    for (std::size_t side = 0; side < sides.size(); ++side)
      sides[side][i] = medianAt(a, standInSpans[side], StandInBlocks);
  }
  const std::optional<double> bandNoise = ProfileNoise(bandValues);
  if (!bandNoise) return;
  // Each side shifted onto the band by their median difference, so that a slope across the
  // chest wall (the heel, a paddle's edge) does not count; where both serve, their mean.
  std::vector<double> standIns(count, 0);
  std::vector<int> serving(count, 0);
  for (const std::vector<double>& values : sides) {
    std::vector<double> shifts;
    for (std::size_t i = 0; i < count; ++i)
      if (!std::isnan(bandValues[i]) && !std::isnan(values[i]))
        shifts.push_back(bandValues[i] - values[i]);
    if (shifts.empty()) continue;
    const double shift = Median(shifts);
    for (std::size_t i = 0; i < count; ++i) {
      if (std::isnan(values[i])) continue;
      standIns[i] += values[i] + shift;
      ++serving[i];
    }
  }
  for (std::size_t i = 0; i < count; ++i)
    standIns[i] = serving[i] > 0 ? standIns[i] / serving[i] : NotAValue;
  const std::optional<double> standInNoise = ProfileNoise(standIns);

  std::vector<double> profile = bandValues;
  variances_.assign(count, *bandNoise * *bandNoise);
  for (std::size_t i = 0; i < count; ++i) {
    if (!std::isnan(profile[i]) || !standInNoise || std::isnan(standIns[i])) continue;
    profile[i] = standIns[i];
    variances_[i] = *standInNoise * *standInNoise;
  }

  // A step is a seam only where the values beside it stay on the model: the edge of a bump,
  // which a step with a bent quadratic would follow, leaves values off it. Then the fit is made
  // again without one.
  for (const bool stepAllowed : {true, false}) {
    std::vector<double> weights(count);
    for (std::size_t i = 0; i < count; ++i)
      weights[i] = std::isnan(profile[i]) ? 0 : 1 / variances_[i];
    std::optional<SmoothFit> fit;
    for (int refit = 0; refit <= RefitSteps; ++refit) {
      fit = FitWithStep(profile, weights, stepAllowed);
      if (!fit) break;
      residuals_.assign(count, NotAValue);
      for (std::size_t i = 0; i < count; ++i) {
        if (std::isnan(profile[i])) continue;
        const double t = Scaled(i, count);
        residuals_[i] = profile[i] - fit->smooth(t);
        const bool keep =
            std::abs(profile[i] - fit->model(i, t)) <= KeepWithinNoise * std::sqrt(variances_[i]);
        weights[i] = keep ? 1 / variances_[i] : 0;
      }
    }
    if (!fit || fit->step < 0 || StaysOnModel(profile, weights, fit->step)) break;
  }
}

BlockSpan BackgroundAlongChestWall::along(const Roi& roi, bool wholly) const {
  const BlockMeans& blocks = survey_.blocks;
  return alongRows_ ? blocks.rowsOver(roi.y, roi.bottom(), wholly)
                    : blocks.columnsOver(roi.x, roi.right(), wholly);
}

BackgroundAlongChestWall::Level BackgroundAlongChestWall::levelOver(BlockSpan span) const {
  Level level;
  const int end = std::min<int>(span.to, static_cast<int>(residuals_.size()));
  for (int a = std::max(span.from, 0); a < end; ++a) {
    const auto i = static_cast<std::size_t>(a);
    if (std::isnan(residuals_[i])) continue;
    level.mean += residuals_[i];
    level.variance += variances_[i];
    ++level.count;
  }
  if (level.count == 0) return level;
  level.mean /= level.count;
  level.variance /= static_cast<double>(level.count) * level.count;
  return level;
}

bool BackgroundAlongChestWall::differ(const Level& one, const Level& other) const {
  const double limit = std::max(DepartureInNoise * std::sqrt(one.variance + other.variance),
                                DepartureShareOfContrast * std::abs(object_.contrast));
  return std::abs(one.mean - other.mean) > limit;
}

BackgroundDeparture BackgroundAlongChestWall::departure(const Roi& place) const {
  if (residuals_.empty()) return {};
  const BlockSpan reach = along(object_.reach, false);
  const BlockSpan at = along(place, true);
  if (at.to <= at.from || (at.from < reach.to && reach.from < at.to)) return {};
  const Level object = levelOver(along(object_.estimate, true));
  const Level atPlace = levelOver(at);
  if (object.count == 0 || atPlace.count == 0) return {};
  const double offset = atPlace.mean - object.mean;
  if (!differ(atPlace, object)) return {BackgroundBreak::None, offset};
  const int length = at.to - at.from;
  const bool after = at.from >= reach.to;
  const Level beyond =
      levelOver(after ? BlockSpan{at.to, at.to + length} : BlockSpan{at.from - length, at.from});
  const bool back = beyond.count > 0 && !differ(beyond, object);
  return {back ? BackgroundBreak::Bump : BackgroundBreak::Step, offset};
}

double BackgroundAlongChestWall::unevennessUnderObject() const {
  const BlockSpan object = along(object_.estimate, true);
  const int middle = (object.from + object.to) / 2;
  const Level first = levelOver({object.from, middle});
  const Level second = levelOver({middle, object.to});
  if (first.count == 0 || second.count == 0 || !differ(first, second)) return 0;
  return second.mean - first.mean;
}

}  // namespace imaging
