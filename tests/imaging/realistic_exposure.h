// Realistic mammography test exposures ("for processing" raw data, linear in dose) and what a
// noiseless model of them expects, so that the ROI placement and the SDNR can be judged against
// the true values rather than against a noisy measurement.
//
// The model, in signal units before the stored value is formed:
//   signal part  S = signal · dose(x, y) · transmission(x, y) · gain(x, y)
//   stored value v = darkLevel + S + noise, rounded and clamped to 0 … 2^bitsStored − 1,
//                    inverted (2^bitsStored − 1 − v) for MONOCHROME1, then the detector faults.
// - dose: the heel effect across the chest wall, 1 − heel · (0.7 t + 0.3 t²) with t from 0 at
//   the chest wall to 1 at the opposite edge; a lateral fall-off along it, 1 − lateralFalloff · u²
//   with u from −1 to 1 and 0 at the middle of the chest-wall edge; collimation, 0 in the
//   unexposed strips with a penumbra of `penumbra` pixels inside the field; all separable in x
//   and y.
// - transmission: aluminiumTransmission on each aluminium object, 0.03 on each lead marker, the
//   paddle's transmission beyond its edge (a ramp 4 pixels wide about the line); objects and
//   markers have a ramp of objectEdgeBlur pixels at their edges (sharp below 1).
// - gain: the detector's, 1 but for its tile seams (each multiplies the columns or rows from its
//   index on), its gain blobs (1 + amplitude · exp(−r² / (2 radius²))) and the ghosts of an
//   earlier exposure (their gain inside the box, its edges ramped as an object's).
// - noise: Gaussian, variance σ_e² + g · S with σ_e² a tenth of noise², so that σ = noise at the
//   chest wall in the open field; the rounding to whole values adds 1/12. The detector's blur
//   (noiseBlur, the σ of a Gaussian in pixels, integrated over each pixel) correlates the noise
//   of neighbours without changing any pixel's variance. Measured on 1200 × 1200 flat pixels:
//     noiseBlur                              0     0.3    0.4    0.5    0.6    0.7    0.8
//     correlation of adjacent pixels         0     0.10   0.26   0.42   0.55   0.64   0.71
//     variance of a large ROI's mean, factor 1     1.5    2.4    3.8    5.4    7.1    9.1
//   The sample sd of n correlated pixels comes out lower by a relative factor / 2n or so; the
//   expectations ignore that, as they ignore the clipping.
// - faults: dead lines take their value as stored (no inversion); dead pixels and clusters read 0.
// The expectations do not model the clipping at the range limits: keep the levels some σ inside.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "imaging/pixel_view.h"
#include "imaging/roi.h"

namespace exposure_test {

enum class Edge : std::uint8_t { Left, Top, Right, Bottom };

// Columns (or rows) index … index + width − 1, all of them reading value.
struct DeadLine {
  bool column = true;
  int index = 0;
  int width = 1;
  int value = 0;
};

// distanceMm from the chest wall; beyond it (farther out) the dose is multiplied by transmission.
struct PaddleEdge {
  double distanceMm = 0;
  double transmission = 0.96;
};

// A seam between the detector's tiles: the signal of the columns (or rows) from index on is
// multiplied by gain, and its quantum noise with it.
struct Seam {
  bool column = true;
  int index = 0;
  double gain = 1.03;
};

// A smooth patch of gain: the signal multiplied by 1 + amplitude · exp(−r² / (2 radius²)), r the
// distance in pixels of a pixel's centre from (x, y); (0, 0) is the first pixel's corner.
struct GainBlob {
  double x = 0, y = 0;
  double radius = 100;
  double amplitude = 0.04;
};

// What an earlier exposure of a larger object left on the detector: the signal multiplied by gain
// inside box, the edges ramped by objectEdgeBlur as an object's. Above 1 it is brighter than the
// open field, which no absorber can make.
struct Ghost {
  imaging::Roi box;
  double gain = 0.985;
};

struct ExposurePlan {
  int width = 2400, height = 1800;  // columns, rows
  double pixelSpacingMm = 0.1;
  int bitsStored = 14;
  bool monochrome1 = false;
  Edge chestWall = Edge::Left;
  double heel = 0.15, lateralFalloff = 0.03;
  double signal = 3000, darkLevel = 60, noise = 25;
  double aluminiumTransmission = 0.92;
  std::vector<imaging::Roi> aluminium;  // the first is "the" object; empty: no aluminium
  std::vector<imaging::Roi> markers;    // lead
  std::array<int, 4> collimation{};     // unexposed strip width in pixels, indexed by Edge
  std::vector<DeadLine> deadLines;
  std::vector<std::array<int, 2>> deadPixels;  // x, y
  std::optional<PaddleEdge> paddle;
  double objectEdgeBlur = 0;  // pixels
  double noiseBlur = 0;       // pixels, the σ of the detector's blur; below 0.05: white noise
  double penumbra = 3;        // pixels of the collimator's half shadow, inside the field
  std::vector<Seam> seams;
  std::vector<GainBlob> blobs;
  std::vector<Ghost> ghosts;
  std::vector<imaging::Roi> deadClusters;  // every pixel reads 0, as a dead pixel
};

// Places in the physicist's terms. The rectangle centred fromChestWallMm from the chest-wall edge
// and alongMm from the middle of that edge (positive towards higher column or row numbers),
// acrossMm deep (perpendicular to the chest wall) and alongSizeMm long, in whole pixels.
// Example: 2400 × 1800 at 0.1 mm, chest wall left: RectangleAt(plan, 60, 0, 12, 8) is the
// 120 × 80 block at (540, 860); SquareAt(plan, 60, 0, 20) the 200 × 200 square at (500, 800).
imaging::Roi RectangleAt(const ExposurePlan&, double fromChestWallMm, double alongMm,
                         double acrossMm, double alongSizeMm);
imaging::Roi SquareAt(const ExposurePlan&, double fromChestWallMm, double alongMm, double sideMm);

struct Exposure {
  ExposurePlan plan;
  std::vector<std::uint16_t> stored;  // row-major, unsigned
  imaging::PixelView pixels() const;
};

// The same seed gives the same image on every machine; about 15 ms for 2400 × 1800, two to three
// times that with the noise blurred.
Exposure Render(const ExposurePlan& plan, std::uint64_t seed);

// The noiseless model in stored values (inverted for MONOCHROME1, faults included), and the
// standard deviation of the pixel's noise in the rendered image (0 on dead pixels and lines).
double ExpectedValue(const ExposurePlan&, int x, int y);
double ExpectedNoise(const ExposurePlan&, int x, int y);

// What the sample statistics of a rendered ROI come to on average: the mean of the expected
// values, and sd² = the mean of σ² + Σ (value − mean)² / (n − 1), the n − 1 as the measurement
// has it. The ROI must lie inside the image.
struct ExpectedRoi {
  double mean = 0;
  double sd = 0;
};
ExpectedRoi Expected(const ExposurePlan&, const imaging::Roi&);
double ExpectedSdnr(const ExposurePlan&, const imaging::Roi& aluminium,
                    const imaging::Roi& background);

// "BG" as a careful physicist places it: the size of the given "Al", at the same distance from the
// chest wall, beside the first aluminium object (the given ROI where there is none) a quarter of
// the ROI's length away from it. The side nearer the middle of the chest-wall edge comes first,
// the other if that one is not wholly in the exposed field (penumbra excluded); touches a marker,
// an object, a ghost (edges included), a dead line, pixel or cluster, or the paddle's edge; lies
// within 3 radii of a gain blob's centre; or is crossed by a seam or separated by one from the
// given "Al". nullopt if neither side is clear.
std::optional<imaging::Roi> ReferenceBackground(const ExposurePlan&, const imaging::Roi& aluminium);

}  // namespace exposure_test
