// Rendering an exposure: the model's separable dose tabulated once, the objects multiplied in over
// their rectangles, and the noise picked from a table of normal quantiles.
#include "realistic_exposure.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "exposure_model.h"

namespace exposure_test {
namespace {

// Acklam's rational approximation of the normal quantile, relative error below 1.2e-9: more than
// noise needs.
double NormalQuantile(double p) {
  constexpr double a[] = {-3.969683028665376e+01, 2.209460984245205e+02,  -2.759285104469687e+02,
                          1.383577518672690e+02,  -3.066479806614716e+01, 2.506628277459239e+00};
  constexpr double b[] = {-5.447609879822406e+01, 1.615858368580409e+02, -1.556989798598866e+02,
                          6.680131188771972e+01, -1.328068155288572e+01};
  constexpr double c[] = {-7.784894002430293e-03, -3.223964580411365e-01, -2.400758277161838e+00,
                          -2.549732539343734e+00, 4.374664141464968e+00,  2.938163982698783e+00};
  constexpr double d[] = {7.784695709041462e-03, 3.224671290700398e-01, 2.445134137142996e+00,
                          3.754408661907416e+00};
  if (p < 0.02425) {
    const double q = std::sqrt(-2 * std::log(p));
    return (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
           ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1);
  }
  const double q = p - 0.5;
  const double r = q * q;
  return (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
         (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1);
}

constexpr int TableBits = 16;
using NormalTable = std::array<double, std::size_t{1} << TableBits>;

// The quantiles at the middles of equal slices of probability, mirrored and scaled to variance 1:
// picked uniformly, they give noise of mean exactly 0 and variance exactly 1. The values are
// rounded to 2^-30 so that a last-bit difference in another machine's logarithm cannot show.
const NormalTable& Quantiles() {
  static const NormalTable table = [] {
    NormalTable quantiles;
    const std::size_t half = quantiles.size() / 2;
    double squares = 0;
    for (std::size_t i = 0; i < half; ++i) {
      quantiles[i] =
          NormalQuantile((static_cast<double>(i) + 0.5) / static_cast<double>(quantiles.size()));
      squares += 2 * quantiles[i] * quantiles[i];
    }
    const double scale = 1 / std::sqrt(squares / static_cast<double>(quantiles.size()));
    for (std::size_t i = 0; i < half; ++i) {
      quantiles[i] = std::ldexp(std::round(std::ldexp(quantiles[i] * scale, 30)), -30);
      quantiles[quantiles.size() - 1 - i] = -quantiles[i];
    }
    return quantiles;
  }();
  return table;
}

// Normal deviates picked from the table by xorshift64, seeded through SplitMix64 so that
// neighbouring seeds give unrelated noise: drawing each pixel's noise exactly would cost most of
// the rendering time.
class NoiseSource {
 public:
  explicit NoiseSource(std::uint64_t seed) : table_(Quantiles()) {
    std::uint64_t z = seed + 0x9E3779B97F4A7C15u;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    state_ = (z ^ (z >> 31)) | 1;
  }
  double next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return table_[state_ >> (64 - TableBits)];
  }

 private:
  const NormalTable& table_;
  std::uint64_t state_;
};

struct PlacedFeature {
  imaging::Roi box;
  double transmission;
  imaging::Roi reach;  // clipped to the image
};

}  // namespace

imaging::PixelView Exposure::pixels() const {
  return {plan.width, plan.height, stored, 0};
}

Exposure Render(const ExposurePlan& plan, std::uint64_t seed) {
  const auto width = static_cast<std::size_t>(plan.width);
  Exposure exposure{plan,
                    std::vector<std::uint16_t>(width * static_cast<std::size_t>(plan.height))};
  std::vector<double> columnSignal(width);
  for (int x = 0; x < plan.width; ++x) {
    columnSignal[static_cast<std::size_t>(x)] = plan.signal * model::AxisDose(plan, true, x);
  }
  std::vector<PlacedFeature> features;
  model::ForEachFeature(plan, [&](const imaging::Roi& box, double transmission) {
    const imaging::Roi reach =
        model::ClipToImage(plan, model::FeatureReach(box, plan.objectEdgeBlur));
    if (reach.count() > 0) features.push_back({box, transmission, reach});
  });
  const model::NoiseLevels noise = model::Noise(plan);
  const int maximum = model::MaximumValue(plan);
  const double highest = maximum;
  const int flip = plan.monochrome1 ? maximum : 0;  // maximum − v, as v ≤ maximum = 2^bits − 1
  const auto rowOf = [&](int y) {
    return exposure.stored.data() + static_cast<std::size_t>(y) * width;
  };
  NoiseSource source(seed);
  std::vector<double> signal(width);
  for (int y = 0; y < plan.height; ++y) {
    const double rowDose = model::AxisDose(plan, false, y);
    for (std::size_t x = 0; x < width; ++x) signal[x] = columnSignal[x] * rowDose;
    for (const PlacedFeature& feature : features) {
      if (y < feature.reach.y || y >= feature.reach.bottom()) continue;
      for (int x = feature.reach.x; x < feature.reach.right(); ++x) {
        signal[static_cast<std::size_t>(x)] *= model::FeatureTransmission(
            feature.box, feature.transmission, plan.objectEdgeBlur, x, y);
      }
    }
    std::uint16_t* out = rowOf(y);
    for (std::size_t x = 0; x < width; ++x) {
      const double s = signal[x];
      const double value = plan.darkLevel + s + std::sqrt(noise.variance(s)) * source.next();
      const int rounded = static_cast<int>(std::clamp(value, 0.0, highest) + 0.5);
      out[x] = static_cast<std::uint16_t>(rounded ^ flip);
    }
  }
  for (const DeadLine& line : plan.deadLines) {
    const imaging::Roi area = model::DeadLineArea(plan, line);
    const auto value = static_cast<std::uint16_t>(model::DeadLineValue(plan, line));
    for (int y = area.y; y < area.bottom(); ++y) {
      std::fill(rowOf(y) + area.x, rowOf(y) + area.right(), value);
    }
  }
  for (const std::array<int, 2>& pixel : plan.deadPixels) {
    if (imaging::Roi{pixel[0], pixel[1], 1, 1}.fitsIn(plan.width, plan.height)) {
      rowOf(pixel[1])[pixel[0]] = model::DeadPixelValue;
    }
  }
  return exposure;
}

}  // namespace exposure_test
