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

// Whether a seam runs through either ROI or between them. A seam runs the detector's whole
// length, so only its index counts.
bool SeamBetween(const ExposurePlan& plan, const imaging::Roi& roi, const imaging::Roi& aluminium) {
  for (const Seam& seam : plan.seams) {
    const int first = seam.column ? std::min(roi.x, aluminium.x) : std::min(roi.y, aluminium.y);
    const int end = seam.column ? std::max(roi.right(), aluminium.right())
                                : std::max(roi.bottom(), aluminium.bottom());
    if (first < seam.index && seam.index < end) return true;
  }
  return false;
}

// Within 3 radii of a blob's centre the gain differs by more than a hundredth of its amplitude.
bool NearBlob(const ExposurePlan& plan, const imaging::Roi& roi) {
  const auto gap = [](double centre, int first, int end) {
    return std::max({0.0, first + 0.5 - centre, centre - (end - 0.5)});
  };
  for (const GainBlob& blob : plan.blobs) {
    const double dx = gap(blob.x, roi.x, roi.right());
    const double dy = gap(blob.y, roi.y, roi.bottom());
    if (dx * dx + dy * dy < 9 * blob.radius * blob.radius) return true;
  }
  return false;
}

// Wholly in the exposed field, clear of every object, marker, ghost, fault, blob and of the
// paddle's edge, and no seam between it and "Al".
bool IsClearBackground(const ExposurePlan& plan, const imaging::Roi& roi,
                       const imaging::Roi& aluminium) {
  if (!roi.fitsIn(plan.width, plan.height)) return false;
  const auto exposedFrom = [&](int fromEdge, Edge edge) {
    return model::Collimation(fromEdge, plan.collimation[static_cast<std::size_t>(edge)],
                              plan.penumbra) == 1;
  };
  const bool exposed = exposedFrom(roi.x, Edge::Left) && exposedFrom(roi.y, Edge::Top) &&
                       exposedFrom(plan.width - roi.right(), Edge::Right) &&
                       exposedFrom(plan.height - roi.bottom(), Edge::Bottom);
  if (!exposed || SeamBetween(plan, roi, aluminium) || NearBlob(plan, roi)) return false;
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
  for (const imaging::Roi& cluster : plan.deadClusters) touches = touches || cluster.overlaps(roi);
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
    if (IsClearBackground(plan, roi, aluminium)) return roi;
  }
  return std::nullopt;
}

}  // namespace exposure_test
