// The noiseless model of a realistic exposure, piece by piece: the renderer tabulates these
// pieces and the expectations evaluate them pixel by pixel, so both describe the same image.
#pragma once

#include <optional>

#include "realistic_exposure.h"

namespace exposure_test::model {

inline constexpr double LeadTransmission = 0.03;
// The paddle lies far above the detector, so the focal spot blurs its edge more than an object's.
inline constexpr double PaddleEdgeWidth = 4;    // pixels
inline constexpr double ElectronicShare = 0.1;  // of the variance at the chest wall
inline constexpr int DeadPixelValue = 0;

// The image's axes in the physicist's terms: distance is the number of pixels between a pixel and
// the chest-wall edge (0 for the row or column at it), along the index parallel to that edge.
// A rectangle in these terms: its pixels nearest the chest wall and its first along it, its size
// across (perpendicular to the chest wall) and along.
struct FramedRoi {
  int distance = 0;
  int along = 0;
  int acrossSize = 0;
  int alongSize = 0;
};
struct ChestWallFrame {
  explicit ChestWallFrame(const ExposurePlan& plan)
      : edge(plan.chestWall), width(plan.width), height(plan.height) {}
  bool acrossIsX() const { return edge == Edge::Left || edge == Edge::Right; }
  int length() const { return acrossIsX() ? height : width; }  // of the chest-wall edge
  FramedRoi framed(const imaging::Roi& roi) const;
  imaging::Roi image(const FramedRoi& roi) const;

  Edge edge;
  int width;
  int height;
};

// The open field's relative dose is a factor per column times a factor per row: heel effect and
// paddle across the chest wall, lateral fall-off along it, collimation on every side.
double AxisDose(const ExposurePlan& plan, bool column, int index);
// 0 in the strip, rising over the penumbra (pixels) inside the field to 1.
double Collimation(int fromEdge, int strip, double penumbra);
// The tile seams' gains are a factor per column times a factor per row as well.
double AxisGain(const ExposurePlan& plan, bool column, int index);
// How far into the paddle's edge a distance lies: 0 before it, 1 beyond it.
double PaddleRamp(const ExposurePlan& plan, int distance);

// The aluminium objects, the markers and then the ghosts, with the factor each multiplies the
// signal by inside its box: a ghost's edges are ramped as an object's.
template <typename Visit>
void ForEachFeature(const ExposurePlan& plan, Visit&& visit) {
  for (const imaging::Roi& box : plan.aluminium) visit(box, plan.aluminiumTransmission);
  for (const imaging::Roi& box : plan.markers) visit(box, LeadTransmission);
  for (const Ghost& ghost : plan.ghosts) visit(ghost.box, ghost.gain);
}
double FeatureTransmission(const imaging::Roi& box, double transmission, double blur, int x, int y);
// The pixels whose transmission the feature changes, its blurred edges included (not clipped).
imaging::Roi FeatureReach(const imaging::Roi& box, double blur);

// A blob's gain is 1 + amplitude times a profile per column times one per row, exp(−d² / (2 r²))
// with d from the pixel's centre. Example: centre 100.5, radius 10: 1 at index 100, 0.61 at 110.
double BlobProfile(double centre, double radius, int index);
double BlobGain(const GainBlob& blob, int x, int y);

// A value of at most a few units rounded to 2^-30, so that a last-bit difference in another
// machine's exp cannot show in the pixels.
double SameOnEveryMachine(double value);

imaging::Roi ClipToImage(const ExposurePlan& plan, const imaging::Roi& roi);

// The pixels a dead line covers (clipped to the image) and the value it reads.
imaging::Roi DeadLineArea(const ExposurePlan& plan, const DeadLine& line);
int DeadLineValue(const ExposurePlan& plan, const DeadLine& line);
std::optional<int> DeadValue(const ExposurePlan& plan, int x, int y);

int MaximumValue(const ExposurePlan& plan);

// The noise variance of a pixel with signal part s is electronic + gain · s.
struct NoiseLevels {
  double electronic = 0;
  double gain = 0;
  double variance(double signalPart) const { return electronic + gain * signalPart; }
};
NoiseLevels Noise(const ExposurePlan& plan);

}  // namespace exposure_test::model
