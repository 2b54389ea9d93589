#include "exposure_model.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace exposure_test::model {
namespace {

int StripAt(const ExposurePlan& plan, Edge edge) {
  return plan.collimation[static_cast<std::size_t>(edge)];
}

// A linear ramp of the given width centred on each edge of [begin, end), sampled at pixel centres.
double Coverage(int begin, int end, double blur, int index) {
  const double centre = index + 0.5;
  if (blur <= 0) return centre > begin && centre < end ? 1 : 0;
  return std::clamp(std::min(centre - begin, end - centre) / blur + 0.5, 0.0, 1.0);
}

}  // namespace

FramedRoi ChestWallFrame::framed(const imaging::Roi& roi) const {
  switch (edge) {
    case Edge::Left:
      return {roi.x, roi.y, roi.width, roi.height};
    case Edge::Right:
      return {width - roi.right(), roi.y, roi.width, roi.height};
    case Edge::Top:
      return {roi.y, roi.x, roi.height, roi.width};
    case Edge::Bottom:
      break;
  }
  return {height - roi.bottom(), roi.x, roi.height, roi.width};
}

imaging::Roi ChestWallFrame::image(const FramedRoi& roi) const {
  switch (edge) {
    case Edge::Left:
      return {roi.distance, roi.along, roi.acrossSize, roi.alongSize};
    case Edge::Right:
      return {width - roi.distance - roi.acrossSize, roi.along, roi.acrossSize, roi.alongSize};
    case Edge::Top:
      return {roi.along, roi.distance, roi.alongSize, roi.acrossSize};
    case Edge::Bottom:
      break;
  }
  return {roi.along, height - roi.distance - roi.acrossSize, roi.alongSize, roi.acrossSize};
}

double AxisDose(const ExposurePlan& plan, bool column, int index) {
  const int size = column ? plan.width : plan.height;
  const Edge low = column ? Edge::Left : Edge::Top;
  const Edge high = column ? Edge::Right : Edge::Bottom;
  const double collimation = Collimation(index, StripAt(plan, low), plan.penumbra) *
                             Collimation(size - 1 - index, StripAt(plan, high), plan.penumbra);
  if (plan.chestWall == low || plan.chestWall == high) {
    const int distance = plan.chestWall == low ? index : size - 1 - index;
    const double t = (distance + 0.5) / size;
    const double heel = 1 - plan.heel * (0.7 * t + 0.3 * t * t);
    const double paddle =
        plan.paddle ? 1 - (1 - plan.paddle->transmission) * PaddleRamp(plan, distance) : 1;
    return collimation * heel * paddle;
  }
  const double u = 2 * (index + 0.5) / size - 1;
  return collimation * (1 - plan.lateralFalloff * u * u);
}

double Collimation(int fromEdge, int strip, double penumbra) {
  if (strip <= 0) return 1;
  if (penumbra <= 0) return fromEdge >= strip ? 1 : 0;
  return std::clamp((fromEdge + 0.5 - strip) / penumbra, 0.0, 1.0);
}

double AxisGain(const ExposurePlan& plan, bool column, int index) {
  double gain = 1;
  for (const Seam& seam : plan.seams) {
    if (seam.column == column && index >= seam.index) gain *= seam.gain;
  }
  return gain;
}

double PaddleRamp(const ExposurePlan& plan, int distance) {
  if (!plan.paddle) return 0;
  const double edge = plan.paddle->distanceMm / plan.pixelSpacingMm;
  return std::clamp((distance + 0.5 - edge) / PaddleEdgeWidth + 0.5, 0.0, 1.0);
}

double FeatureTransmission(const imaging::Roi& box, double transmission, double blur, int x,
                           int y) {
  return 1 - (1 - transmission) * Coverage(box.x, box.right(), blur, x) *
                 Coverage(box.y, box.bottom(), blur, y);
}

imaging::Roi FeatureReach(const imaging::Roi& box, double blur) {
  // A pixel k outside the edge is reached while k − 0.5 < blur / 2.
  const int pad = blur > 1 ? static_cast<int>(std::ceil(blur / 2 + 0.5)) - 1 : 0;
  return {box.x - pad, box.y - pad, box.width + 2 * pad, box.height + 2 * pad};
}

double BlobProfile(double centre, double radius, int index) {
  const double d = index + 0.5 - centre;
  return SameOnEveryMachine(std::exp(-d * d / (2 * radius * radius)));
}

double BlobGain(const GainBlob& blob, int x, int y) {
  return 1 +
         blob.amplitude * BlobProfile(blob.x, blob.radius, x) * BlobProfile(blob.y, blob.radius, y);
}

double SameOnEveryMachine(double value) {
  return std::ldexp(std::round(std::ldexp(value, 30)), -30);
}

imaging::Roi ClipToImage(const ExposurePlan& plan, const imaging::Roi& roi) {
  const int left = std::max(roi.x, 0);
  const int top = std::max(roi.y, 0);
  const int right = std::min(roi.right(), plan.width);
  const int bottom = std::min(roi.bottom(), plan.height);
  if (right <= left || bottom <= top) return {};
  return {left, top, right - left, bottom - top};
}

imaging::Roi DeadLineArea(const ExposurePlan& plan, const DeadLine& line) {
  const imaging::Roi area = line.column ? imaging::Roi{line.index, 0, line.width, plan.height}
                                        : imaging::Roi{0, line.index, plan.width, line.width};
  return ClipToImage(plan, area);
}

int DeadLineValue(const ExposurePlan& plan, const DeadLine& line) {
  return std::clamp(line.value, 0, MaximumValue(plan));
}

std::optional<int> DeadValue(const ExposurePlan& plan, int x, int y) {
  for (const std::array<int, 2>& pixel : plan.deadPixels) {
    if (pixel[0] == x && pixel[1] == y) return DeadPixelValue;
  }
  for (const imaging::Roi& cluster : plan.deadClusters) {
    if (cluster.contains(imaging::Roi{x, y, 1, 1})) return DeadPixelValue;
  }
  // The renderer writes the lines in order, so the last one covering the pixel shows.
  for (auto line = plan.deadLines.rbegin(); line != plan.deadLines.rend(); ++line) {
    if (DeadLineArea(plan, *line).contains(imaging::Roi{x, y, 1, 1})) {
      return DeadLineValue(plan, *line);
    }
  }
  return std::nullopt;
}

int MaximumValue(const ExposurePlan& plan) {
  return (1 << plan.bitsStored) - 1;
}

NoiseLevels Noise(const ExposurePlan& plan) {
  const double variance = plan.noise * plan.noise;
  if (plan.signal <= 0) return {variance, 0};
  return {ElectronicShare * variance, (1 - ElectronicShare) * variance / plan.signal};
}

}  // namespace exposure_test::model
