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
bool IsClearBackground(const ExposurePlan& plan, const imaging::Roi& roi) {
  if (!roi.fitsIn(plan.width, plan.height)) return false;
  const auto strip = [&](Edge edge) { return plan.collimation[static_cast<std::size_t>(edge)]; };
  const bool exposed = model::Collimation(roi.x, strip(Edge::Left)) == 1 &&
                       model::Collimation(roi.y, strip(Edge::Top)) == 1 &&
                       model::Collimation(plan.width - roi.right(), strip(Edge::Right)) == 1 &&
                       model::Collimation(plan.height - roi.bottom(), strip(Edge::Bottom)) == 1;
  if (!exposed) return false;
  const model::FramedRoi framed = model::ChestWallFrame(plan).framed(roi);
  for (int distance = framed.distance; distance < framed.distance + framed.acrossSize; ++distance) {
    const double ramp = model::PaddleRamp(plan, distance);
    if (ramp != 0 && ramp != 1) return false;
  }
  bool touches = false;
  model::ForEachFeature(plan, [&](const imaging::Roi& box, double) {
    touches = touches || model::FeatureReach(box, plan.objectEdgeBlur).overlaps(roi);
  });
  for (const DeadLine& line : plan.deadLines) {
    touches = touches || model::DeadLineArea(plan, line).overlaps(roi);
  }
  for (const std::array<int, 2>& pixel : plan.deadPixels) {
    touches = touches || roi.contains(imaging::Roi{pixel[0], pixel[1], 1, 1});
  }
  return !touches;
}

}  // namespace

imaging::Roi RectangleAt(const ExposurePlan& plan, double fromChestWallMm, double alongMm,
                         double acrossMm, double alongSizeMm) {
  const model::ChestWallFrame frame(plan);
  const double spacing = plan.pixelSpacingMm;
  model::FramedRoi roi;
  roi.acrossSize = std::max(1, Whole(acrossMm / spacing));
  roi.alongSize = std::max(1, Whole(alongSizeMm / spacing));
  roi.distance = Whole(fromChestWallMm / spacing - roi.acrossSize / 2.0);
  roi.along = Whole(frame.length() / 2.0 + alongMm / spacing - roi.alongSize / 2.0);
  return frame.image(roi);
}

imaging::Roi SquareAt(const ExposurePlan& plan, double fromChestWallMm, double alongMm,
                      double sideMm) {
  return RectangleAt(plan, fromChestWallMm, alongMm, sideMm, sideMm);
}

std::optional<imaging::Roi> ReferenceBackground(const ExposurePlan& plan,
                                                const imaging::Roi& aluminium) {
  const model::ChestWallFrame frame(plan);
  const model::FramedRoi al = frame.framed(aluminium);
  const model::FramedRoi object =
      frame.framed(plan.aluminium.empty() ? aluminium : plan.aluminium.front());
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
    if (IsClearBackground(plan, roi)) return roi;
  }
  return std::nullopt;
}

}  // namespace exposure_test
