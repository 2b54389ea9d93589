// What the noiseless model expects of a pixel and of a ROI.
#include <algorithm>
#include <cmath>
#include <vector>

#include "exposure_model.h"

namespace exposure_test {
namespace {

struct PixelExpectation {
  double value = 0;
  double sigma = 0;
};

PixelExpectation ExpectPixel(const ExposurePlan& plan, int x, int y) {
  if (const std::optional<int> dead = model::DeadValue(plan, x, y))
    return {static_cast<double>(*dead), 0};
  // In the renderer's order, so that both come to the same bits.
  double signalPart = plan.signal * model::AxisDose(plan, true, x) *
                      model::AxisGain(plan, true, x) *
                      (model::AxisDose(plan, false, y) * model::AxisGain(plan, false, y));
  model::ForEachFeature(plan, [&](const imaging::Roi& box, double transmission) {
    signalPart *= model::FeatureTransmission(box, transmission, plan.objectEdgeBlur, x, y);
  });
  for (const GainBlob& blob : plan.blobs) signalPart *= model::BlobGain(blob, x, y);
  const double maximum = model::MaximumValue(plan);
  const double value = std::clamp(plan.darkLevel + signalPart, 0.0, maximum);
  // The detector's blur keeps each pixel's variance: only neighbours' noise is correlated.
  const double variance = model::Noise(plan).variance(signalPart);
  // Rounding to whole stored values adds the variance of a uniform step (Sheppard).
  return {plan.monochrome1 ? maximum - value : value,
          variance > 0 ? std::sqrt(variance + 1.0 / 12) : 0};
}

}  // namespace

double ExpectedValue(const ExposurePlan& plan, int x, int y) {
  return ExpectPixel(plan, x, y).value;
}

double ExpectedNoise(const ExposurePlan& plan, int x, int y) {
  return ExpectPixel(plan, x, y).sigma;
}

ExpectedRoi Expected(const ExposurePlan& plan, const imaging::Roi& roi) {
  if (roi.count() == 0) return {};
  std::vector<double> values;
  values.reserve(static_cast<std::size_t>(roi.count()));
  double sum = 0;
  double noiseVariance = 0;
  for (int y = roi.y; y < roi.bottom(); ++y) {
    for (int x = roi.x; x < roi.right(); ++x) {
      const PixelExpectation pixel = ExpectPixel(plan, x, y);
      values.push_back(pixel.value);
      sum += pixel.value;
      noiseVariance += pixel.sigma * pixel.sigma;
    }
  }
  const double n = static_cast<double>(values.size());
  const double mean = sum / n;
  double squares = 0;
  for (const double value : values) squares += (value - mean) * (value - mean);
  const double spread = values.size() > 1 ? squares / (n - 1) : 0;
  return {mean, std::sqrt(noiseVariance / n + spread)};
}

double ExpectedSdnr(const ExposurePlan& plan, const imaging::Roi& aluminium,
                    const imaging::Roi& background) {
  const ExpectedRoi al = Expected(plan, aluminium);
  const ExpectedRoi bg = Expected(plan, background);
  return std::abs(bg.mean - al.mean) / std::sqrt((bg.sd * bg.sd + al.sd * al.sd) / 2);
}

}  // namespace exposure_test
