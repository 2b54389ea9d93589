#include "exposure_model.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace exposure_test::model {
namespace {

int StripAt(const ExposureSpec& spec, Edge edge) {
  return spec.collimation[static_cast<std::size_t>(edge)];
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

double AxisDose(const ExposureSpec& spec, bool column, int index) {
  const int size = column ? spec.width : spec.height;
  const Edge low = column ? Edge::Left : Edge::Top;
  const Edge high = column ? Edge::Right : Edge::Bottom;
  const double collimation =
      Collimation(index, StripAt(spec, low)) * Collimation(size - 1 - index, StripAt(spec, high));
  if (spec.chestWall == low || spec.chestWall == high) {
    const int distance = spec.chestWall == low ? index : size - 1 - index;
    const double t = (distance + 0.5) / size;
    const double heel = 1 - spec.heel * (0.7 * t + 0.3 * t * t);
    const double paddle =
        spec.paddle ? 1 - (1 - spec.paddle->transmission) * PaddleRamp(spec, distance) : 1;
    return collimation * heel * paddle;
  }
  const double u = 2 * (index + 0.5) / size - 1;
  return collimation * (1 - spec.lateralFalloff * u * u);
}

double Collimation(int fromEdge, int strip) {
  if (strip <= 0) return 1;
  return std::clamp((fromEdge + 0.5 - strip) / Penumbra, 0.0, 1.0);
}

double PaddleRamp(const ExposureSpec& spec, int distance) {
  if (!spec.paddle) return 0;
  const double edge = spec.paddle->distanceMm / spec.pixelSpacingMm;
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

imaging::Roi ClipToImage(const ExposureSpec& spec, const imaging::Roi& roi) {
  const int left = std::max(roi.x, 0);
  const int top = std::max(roi.y, 0);
  const int right = std::min(roi.right(), spec.width);
  const int bottom = std::min(roi.bottom(), spec.height);
  if (right <= left || bottom <= top) return {};
  return {left, top, right - left, bottom - top};
}

imaging::Roi DeadLineArea(const ExposureSpec& spec, const DeadLine& line) {
  const imaging::Roi area = line.column ? imaging::Roi{line.index, 0, line.width, spec.height}
                                        : imaging::Roi{0, line.index, spec.width, line.width};
  return ClipToImage(spec, area);
}

int DeadLineValue(const ExposureSpec& spec, const DeadLine& line) {
  return std::clamp(line.value, 0, MaximumValue(spec));
}

std::optional<int> DeadValue(const ExposureSpec& spec, int x, int y) {
  for (const std::array<int, 2>& pixel : spec.deadPixels) {
    if (pixel[0] == x && pixel[1] == y) return DeadPixelValue;
  }
  // The renderer writes the lines in order, so the last one covering the pixel shows.
  for (auto line = spec.deadLines.rbegin(); line != spec.deadLines.rend(); ++line) {
    if (DeadLineArea(spec, *line).contains(imaging::Roi{x, y, 1, 1})) {
      return DeadLineValue(spec, *line);
    }
  }
  return std::nullopt;
}

int MaximumValue(const ExposureSpec& spec) {
  return (1 << spec.bitsStored) - 1;
}

NoiseLevels Noise(const ExposureSpec& spec) {
  const double variance = spec.noise * spec.noise;
  if (spec.signal <= 0) return {variance, 0};
  return {ElectronicShare * variance, (1 - ElectronicShare) * variance / spec.signal};
}

}  // namespace exposure_test::model
