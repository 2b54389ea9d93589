// Rendering an exposure: the model's separable dose and gain tabulated once, the objects and
// blobs multiplied in, and the noise picked from a table of normal quantiles, blurred by the
// detector where the plan says so.
#include "realistic_exposure.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

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

// The detector's blur along one axis: a Gaussian of σ blur integrated over each pixel, since a
// pixel collects over its whole width (sampled at the centres, σ 0.3 would leave the noise all but
// white), out to ceil(3σ), scaled so that the squares of the 2-D weights sum to 1 and each pixel
// keeps its variance.
// A blur narrower than this leaves neighbours' noise independent; its kernel's weights would
// underflow.
constexpr double SmallestBlur = 0.05;

std::vector<double> BlurKernel(double blur) {
  const int radius = static_cast<int>(std::ceil(3 * blur));
  constexpr int Steps = 32;  // midpoints per pixel
  std::vector<double> kernel;
  double squares = 0;
  for (int i = -radius; i <= radius; ++i) {
    double integral = 0;
    for (int step = 0; step < Steps; ++step) {
      const double t = i - 0.5 + (step + 0.5) / Steps;
      integral += std::exp(-t * t / (2 * blur * blur));
    }
    kernel.push_back(model::SameOnEveryMachine(integral / Steps));
    squares += kernel.back() * kernel.back();
  }
  // The squares of the 2-D weights sum to the square of the 1-D ones' sum: 1 when that is.
  const double scale = 1 / std::sqrt(squares);
  for (double& weight : kernel) weight *= scale;
  return kernel;
}

// Unit-variance noise row by row. White, each pixel's drawn in turn; or blurred, from a white
// field drawn with a margin of the kernel's radius, so that the edges vary as the middle does.
class NoiseRows {
 public:
  NoiseRows(const ExposurePlan& plan, std::uint64_t seed)
      : source_(seed),
        width_(static_cast<std::size_t>(plan.width)),
        kernel_(plan.noiseBlur >= SmallestBlur ? BlurKernel(plan.noiseBlur)
                                               : std::vector<double>{}),
        stride_(width_ + (kernel_.empty() ? 0 : kernel_.size() - 1)),
        row_(width_) {
    if (kernel_.empty()) return;
    const std::size_t rows = static_cast<std::size_t>(plan.height) + kernel_.size() - 1;
    field_.resize(stride_ * rows);
    for (float& value : field_) value = static_cast<float>(source_.next());
    // Along the rows in place: each row's first width values take its blurred ones.
    std::vector<float> padded(stride_);
    for (std::size_t r = 0; r < rows; ++r) {
      float* row = field_.data() + r * stride_;
      std::copy(row, row + stride_, padded.begin());
      for (std::size_t x = 0; x < width_; ++x) {
        double sum = 0;
        for (std::size_t k = 0; k < kernel_.size(); ++k) sum += kernel_[k] * padded[x + k];
        row[x] = static_cast<float>(sum);
      }
    }
  }

  // Row y's noise, valid until the next call; the rows must be asked for in order.
  const std::vector<double>& row(int y) {
    if (kernel_.empty()) {
      for (double& value : row_) value = source_.next();
      return row_;
    }
    std::fill(row_.begin(), row_.end(), 0.0);
    for (std::size_t k = 0; k < kernel_.size(); ++k) {
      const float* blurred = field_.data() + (static_cast<std::size_t>(y) + k) * stride_;
      for (std::size_t x = 0; x < width_; ++x) row_[x] += kernel_[k] * blurred[x];
    }
    return row_;
  }

 private:
  NoiseSource source_;
  std::size_t width_;
  std::vector<double> kernel_;  // empty for white noise
  std::size_t stride_;
  std::vector<float> field_;  // blurred along the rows, not yet across
  std::vector<double> row_;
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
    columnSignal[static_cast<std::size_t>(x)] =
        plan.signal * model::AxisDose(plan, true, x) * model::AxisGain(plan, true, x);
  }
  std::vector<std::vector<double>> blobColumns;
  for (const GainBlob& blob : plan.blobs) {
    blobColumns.emplace_back(width);
    for (int x = 0; x < plan.width; ++x) {
      blobColumns.back()[static_cast<std::size_t>(x)] = model::BlobProfile(blob.x, blob.radius, x);
    }
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
  NoiseRows noiseRows(plan, seed);
  std::vector<double> signal(width);
  for (int y = 0; y < plan.height; ++y) {
    const double rowFactor = model::AxisDose(plan, false, y) * model::AxisGain(plan, false, y);
    for (std::size_t x = 0; x < width; ++x) signal[x] = columnSignal[x] * rowFactor;
    for (const PlacedFeature& feature : features) {
      if (y < feature.reach.y || y >= feature.reach.bottom()) continue;
      for (int x = feature.reach.x; x < feature.reach.right(); ++x) {
        signal[static_cast<std::size_t>(x)] *= model::FeatureTransmission(
            feature.box, feature.transmission, plan.objectEdgeBlur, x, y);
      }
    }
    for (std::size_t b = 0; b < plan.blobs.size(); ++b) {
      const double amplitude = plan.blobs[b].amplitude;
      const double rowProfile = model::BlobProfile(plan.blobs[b].y, plan.blobs[b].radius, y);
      if (rowProfile == 0) continue;  // a factor of exactly 1
      for (std::size_t x = 0; x < width; ++x) {
        signal[x] *= 1 + amplitude * blobColumns[b][x] * rowProfile;
      }
    }
    const std::vector<double>& unitNoise = noiseRows.row(y);
    std::uint16_t* out = rowOf(y);
    for (std::size_t x = 0; x < width; ++x) {
      const double s = signal[x];
      const double value = plan.darkLevel + s + std::sqrt(noise.variance(s)) * unitNoise[x];
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
  for (const imaging::Roi& cluster : plan.deadClusters) {
    const imaging::Roi area = model::ClipToImage(plan, cluster);
    for (int y = area.y; y < area.bottom(); ++y) {
      std::fill(rowOf(y) + area.x, rowOf(y) + area.right(), model::DeadPixelValue);
    }
  }
  return exposure;
}

}  // namespace exposure_test
