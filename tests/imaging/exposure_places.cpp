// Places on the exposure in the physicist's terms: millimetres from the chest wall, and where a
// careful physicist puts the background ROI.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <utility>

#include "exposure_model.h"

namespace exposure_test {
namespace {

int Whole(double value) {
  return static_cast<int>(std::floor(value + 0.5));
}

// Wholly in the exposed field, clear of every object, marker, fault and of the paddle's edge.
bool IsClearBackground(const ExposureSpec& spec, const imaging::Roi& roi) {
  if (!roi.fitsIn(spec.width, spec.height)) return false;
  const auto strip = [&](Edge edge) { return spec.collimation[static_cast<std::size_t>(edge)]; };
  const bool exposed = model::Collimation(roi.x, strip(Edge::Left)) == 1 &&
                       model::Collimation(roi.y, strip(Edge::Top)) == 1 &&
                       model::Collimation(spec.width - roi.right(), strip(Edge::Right)) == 1 &&
                       model::Collimation(spec.height - roi.bottom(), strip(Edge::Bottom)) == 1;
  if (!exposed) return false;
  const model::FramedRoi framed = model::ChestWallFrame(spec).framed(roi);
  for (int distance = framed.distance; distance < framed.distance + framed.acrossSize; ++distance) {
    const double ramp = model::PaddleRamp(spec, distance);
    if (ramp != 0 && ramp != 1) return false;
  }
  bool touches = false;
  model::ForEachFeature(spec, [&](const imaging::Roi& box, double) {
    touches = touches || model::FeatureReach(box, spec.objectEdgeBlur).overlaps(roi);
  });
  for (const DeadLine& line : spec.deadLines) {
    touches = touches || model::DeadLineArea(spec, line).overlaps(roi);
  }
  for (const std::array<int, 2>& pixel : spec.deadPixels) {
    touches = touches || roi.contains(imaging::Roi{pixel[0], pixel[1], 1, 1});
  }
  return !touches;
}

}  // namespace

imaging::Roi RectangleAt(const ExposureSpec& spec, double fromChestWallMm, double alongMm,
                         double acrossMm, double alongSizeMm) {
  const model::ChestWallFrame frame(spec);
  const double spacing = spec.pixelSpacingMm;
  model::FramedRoi roi;
  roi.acrossSize = std::max(1, Whole(acrossMm / spacing));
  roi.alongSize = std::max(1, Whole(alongSizeMm / spacing));
  roi.distance = Whole(fromChestWallMm / spacing - roi.acrossSize / 2.0);
  roi.along = Whole(frame.length() / 2.0 + alongMm / spacing - roi.alongSize / 2.0);
  return frame.image(roi);
}

imaging::Roi SquareAt(const ExposureSpec& spec, double fromChestWallMm, double alongMm,
                      double sideMm) {
  return RectangleAt(spec, fromChestWallMm, alongMm, sideMm, sideMm);
}

std::optional<imaging::Roi> ReferenceBackground(const ExposureSpec& spec,
                                                const imaging::Roi& aluminium) {
  const model::ChestWallFrame frame(spec);
  const model::FramedRoi al = frame.framed(aluminium);
  const model::FramedRoi object =
      frame.framed(spec.aluminium.empty() ? aluminium : spec.aluminium.front());
  const int gap = Whole(al.alongSize / 4.0);
  model::FramedRoi after = al;
  after.along = object.along + object.alongSize + gap;
  model::FramedRoi before = al;
  before.along = object.along - gap - al.alongSize;
  // Nearer the middle of the chest-wall edge the lateral fall-off is flatter.
  const auto offMiddle = [&](const model::FramedRoi& roi) {
    return std::abs(2 * roi.along + roi.alongSize - frame.length());
  };
  if (offMiddle(before) < offMiddle(after)) std::swap(before, after);
  for (const model::FramedRoi& candidate : {after, before}) {
    const imaging::Roi roi = frame.image(candidate);
    if (IsClearBackground(spec, roi)) return roi;
  }
  return std::nullopt;
}

}  // namespace exposure_test
