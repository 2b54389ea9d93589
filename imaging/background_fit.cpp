#include "background_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "linear_system.h"
#include "robust_statistics.h"

namespace imaging {

namespace {

// The surface's terms u^a v^b: 1, u, v, u², uv, v². Each block's u and v are its centre scaled to
// (-1, 1), which keeps the normal equations well conditioned.
constexpr int TermCount = 6;
constexpr std::array<int, TermCount> PowerOfU{0, 1, 0, 2, 1, 0};
constexpr std::array<int, TermCount> PowerOfV{0, 0, 1, 0, 1, 2};
constexpr int HighestTermPower = 2;
constexpr int HighestPower = 2 * HighestTermPower;  // in the products of two terms
using Terms = std::array<double, TermCount>;
using Powers = std::array<double, HighestPower + 1>;

constexpr int HalfTrimmedSteps = 2;
constexpr int ClippedSteps = 2;
constexpr double KeepWithinNoise = 3;    // residuals kept for the next fit, in noise units
constexpr double NoiseFloor = 0.25;      // stored values
constexpr int StepProfileWindow = 7;     // blocks: wider than any dead line of a few columns
constexpr double ObjectBeyondNoise = 5;  // what does not count for the profiles

std::vector<Powers> ScaledCentrePowers(int count) {
  std::vector<Powers> powers(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const double centre = (2.0 * i + 1) / count - 1;
    Powers& p = powers[static_cast<std::size_t>(i)];
    p[0] = 1;
    for (int k = 1; k <= HighestPower; ++k) p[k] = p[k - 1] * centre;
  }
  return powers;
}

double MedianAbsolute(const std::vector<double>& residuals, const std::vector<std::uint8_t>& kept) {
  std::vector<double> magnitudes;
  magnitudes.reserve(residuals.size());
  for (std::size_t i = 0; i < residuals.size(); ++i)
    if (kept[i]) magnitudes.push_back(std::abs(residuals[i]));
  return Median(std::move(magnitudes));
}

class SurfaceFitter {
 public:
  explicit SurfaceFitter(const BlockMeans& blocks)
      : blocks_(blocks),
        us_(ScaledCentrePowers(blocks.columns)),
        vs_(ScaledCentrePowers(blocks.rows)) {}

  // Least squares over the kept blocks. The normal equations need only the sums of u^a v^b and
  // of mean × u^a v^b, and each of these is a sum over rows of v^b times a row's sum of u^a.
  std::optional<Terms> fit(const std::vector<std::uint8_t>& kept) const {
    std::array<Terms, TermCount> matrix{};
    Terms right{};
    for (int row = 0; row < blocks_.rows; ++row) {
      Powers rowSums{};      // sums of u^a over the row's kept blocks
      Powers rowMeanSums{};  // sums of mean × u^a
      for (int column = 0; column < blocks_.columns; ++column) {
        const std::size_t i = blocks_.index(column, row);
        if (!kept[i]) continue;
        const Powers& u = us_[static_cast<std::size_t>(column)];
        for (int k = 0; k <= HighestPower; ++k) rowSums[k] += u[k];
        for (int k = 0; k <= HighestTermPower; ++k) rowMeanSums[k] += blocks_.means[i] * u[k];
      }
      const Powers& v = vs_[static_cast<std::size_t>(row)];
      for (int a = 0; a < TermCount; ++a) {
        for (int b = 0; b < TermCount; ++b)
          matrix[a][b] += rowSums[PowerOfU[a] + PowerOfU[b]] * v[PowerOfV[a] + PowerOfV[b]];
        right[a] += rowMeanSums[PowerOfU[a]] * v[PowerOfV[a]];
      }
    }
    return SolveLinear<TermCount>(matrix, right);
  }

  // A plane by medians (Theil and Sen): each slope the median of the slopes between blocks half
  // the grid apart along its axis, the level the median of what the slopes leave.
  Terms medianPlane() const {
    Terms plane{};
    std::vector<double> values;
    values.reserve(blocks_.means.size());
    const int columnStep = blocks_.columns / 2;
    for (int row = 0; row < blocks_.rows; ++row)
      for (int column = 0; column + columnStep < blocks_.columns; ++column)
        values.push_back(blocks_.means[blocks_.index(column + columnStep, row)] -
                         blocks_.means[blocks_.index(column, row)]);
    plane[1] = Median(values) / (2.0 * columnStep / blocks_.columns);
    values.clear();
    const int rowStep = blocks_.rows / 2;
    for (int row = 0; row + rowStep < blocks_.rows; ++row)
      for (int column = 0; column < blocks_.columns; ++column)
        values.push_back(blocks_.means[blocks_.index(column, row + rowStep)] -
                         blocks_.means[blocks_.index(column, row)]);
    plane[2] = Median(values) / (2.0 * rowStep / blocks_.rows);
    values.clear();
    for (int row = 0; row < blocks_.rows; ++row)
      for (int column = 0; column < blocks_.columns; ++column)
        values.push_back(blocks_.means[blocks_.index(column, row)] -
                         plane[1] * us_[static_cast<std::size_t>(column)][1] -
                         plane[2] * vs_[static_cast<std::size_t>(row)][1]);
    plane[0] = Median(std::move(values));
    return plane;
  }

  void residuals(const Terms& surface, std::vector<double>& out) const {
    for (int row = 0; row < blocks_.rows; ++row) {
      // The surface along a row is a quadratic in u.
      const Powers& v = vs_[static_cast<std::size_t>(row)];
      Terms along{};
      for (int k = 0; k < TermCount; ++k) along[PowerOfU[k]] += surface[k] * v[PowerOfV[k]];
      for (int column = 0; column < blocks_.columns; ++column) {
        const std::size_t i = blocks_.index(column, row);
        const Powers& u = us_[static_cast<std::size_t>(column)];
        out[i] = blocks_.means[i] - (along[0] + along[1] * u[1] + along[2] * u[2]);
      }
    }
  }

 private:
  const BlockMeans& blocks_;
  std::vector<Powers> us_;
  std::vector<Powers> vs_;
};

// Each value of a profile replaced by the median of the `window` values about it (fewer at the
// ends); a window of 1 leaves it as it is.
std::vector<double> MedianFiltered(const std::vector<double>& profile, int window) {
  if (window <= 1) return profile;
  const auto n = static_cast<std::ptrdiff_t>(profile.size());
  std::vector<double> filtered(profile.size());
  for (std::ptrdiff_t i = 0; i < n; ++i) {
    const auto first = profile.begin() + std::max<std::ptrdiff_t>(i - window / 2, 0);
    const auto last = profile.begin() + std::min<std::ptrdiff_t>(i + window / 2 + 1, n);
    filtered[static_cast<std::size_t>(i)] = Median(std::vector<double>(first, last));
  }
  return filtered;
}

// The median of the values that count, where at least a fifth do; else of them all.
double MedianOfCounted(const std::vector<double>& values, const std::vector<std::uint8_t>& counts) {
  std::vector<double> counted;
  for (std::size_t i = 0; i < values.size(); ++i)
    if (counts[i]) counted.push_back(values[i]);
  return 5 * counted.size() >= values.size() ? Median(std::move(counted)) : Median(values);
}

// The residuals less the median of their column, then less the median of what that leaves in
// their row, each profile median-filtered over `window` blocks. Only blocks that `counts` enter
// the medians, as long as they are at least a fifth of a column or row: so an object that spans
// more than half of one, but is left out of what counts, does not become its median.
void SubtractColumnAndRowMedians(const BlockMeans& blocks, std::vector<double>& residuals,
                                 const std::vector<std::uint8_t>& counts, int window) {
  std::vector<double> values;
  std::vector<std::uint8_t> counted;
  std::vector<double> profile;
  for (int column = 0; column < blocks.columns; ++column) {
    values.clear();
    counted.clear();
    for (int row = 0; row < blocks.rows; ++row) {
      values.push_back(residuals[blocks.index(column, row)]);
      counted.push_back(counts[blocks.index(column, row)]);
    }
    profile.push_back(MedianOfCounted(values, counted));
  }
  profile = MedianFiltered(profile, window);
  for (int column = 0; column < blocks.columns; ++column)
    for (int row = 0; row < blocks.rows; ++row)
      residuals[blocks.index(column, row)] -= profile[static_cast<std::size_t>(column)];
  profile.clear();
  for (int row = 0; row < blocks.rows; ++row) {
    const auto first = static_cast<std::ptrdiff_t>(blocks.index(0, row));
    const auto last = first + blocks.columns;
    profile.push_back(
        MedianOfCounted(std::vector<double>(residuals.begin() + first, residuals.begin() + last),
                        std::vector<std::uint8_t>(counts.begin() + first, counts.begin() + last)));
  }
  profile = MedianFiltered(profile, window);
  for (int row = 0; row < blocks.rows; ++row)
    for (int column = 0; column < blocks.columns; ++column)
      residuals[blocks.index(column, row)] -= profile[static_cast<std::size_t>(row)];
}

// Least-squares fits from a start's residuals: twice to the better-fitting half of the blocks,
// which is background while the start is not far off, then twice to the blocks within a band
// of noise, generous first because the noise of all blocks still counts the object.
BackgroundFit Refine(const SurfaceFitter& fitter, std::vector<double> startResiduals) {
  BackgroundFit fit{std::move(startResiduals), {}, 0};
  const std::vector<std::uint8_t> everything(fit.residuals.size(), 1);
  std::vector<std::uint8_t> kept = everything;
  // A singular kept set leaves the previous fit.
  const auto refit = [&] {
    if (const std::optional<Terms> surface = fitter.fit(kept))
      fitter.residuals(*surface, fit.residuals);
  };
  const auto keepWithin = [&](double limit) {
    for (std::size_t i = 0; i < kept.size(); ++i) kept[i] = std::abs(fit.residuals[i]) <= limit;
  };
  const auto noiseOf = [&](const std::vector<std::uint8_t>& blocksUsed) {
    return std::max(MadToDeviation * MedianAbsolute(fit.residuals, blocksUsed), NoiseFloor);
  };
  for (int step = 0; step < HalfTrimmedSteps; ++step) {
    keepWithin(MedianAbsolute(fit.residuals, everything));
    refit();
  }
  fit.noise = noiseOf(everything);
  for (int step = 0; step < ClippedSteps; ++step) {
    keepWithin(KeepWithinNoise * fit.noise);
    refit();
    fit.noise = noiseOf(kept);
  }
  return fit;
}

}  // namespace

std::optional<BackgroundFit> FitBackground(const BlockMeans& blocks) {
  if (blocks.columns < 3 || blocks.rows < 3) return std::nullopt;
  // A least-squares fit to all blocks bends towards a large object, a quadratic one so far that
  // it can follow a central object, and then no band about it tells object from background; so
  // the fits start from medians. A plane by medians stays put beside a large object but leaves
  // the heel effect's curvature, which can hide an object of low contrast; column and row
  // medians take the curvature out but follow an object that spans much of a column or row.
  // Whichever start leaves less noise was the better one.
  const SurfaceFitter fitter(blocks);
  std::vector<double> planeStart(blocks.means.size());
  fitter.residuals(fitter.medianPlane(), planeStart);
  std::vector<double> profileStart = planeStart;
  const std::vector<std::uint8_t> everything(blocks.means.size(), 1);
  SubtractColumnAndRowMedians(blocks, profileStart, everything, 1);
  BackgroundFit fromPlane = Refine(fitter, std::move(planeStart));
  BackgroundFit fromProfiles = Refine(fitter, std::move(profileStart));
  BackgroundFit fit =
      fromPlane.noise <= fromProfiles.noise ? std::move(fromPlane) : std::move(fromProfiles);
  // A step straight across the image (a compression paddle's edge, parallel to the chest wall)
  // and whatever of the heel effect's shape a quadratic misses are background too: the column
  // and row profiles of what the surface leaves are taken out as well, of the blocks the surface
  // fits (an object does not count), smoothed so that a dead line, a spike in its profile,
  // still stands out.
  fit.surfaceResiduals = fit.residuals;
  std::vector<std::uint8_t> fitting(fit.residuals.size());
  for (std::size_t i = 0; i < fitting.size(); ++i)
    fitting[i] = std::abs(fit.residuals[i]) <= ObjectBeyondNoise * fit.noise;
  SubtractColumnAndRowMedians(blocks, fit.residuals, fitting, StepProfileWindow);
  fit.noise = std::max(MadToDeviation * MedianAbsolute(fit.residuals, everything), NoiseFloor);
  return fit;
}

}  // namespace imaging
