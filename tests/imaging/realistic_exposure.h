// Realistic mammography test exposures ("for processing" raw data, linear in dose) and what a
// noiseless model of them expects, so that the ROI placement and the SDNR can be judged against
// the true values rather than against a noisy measurement.
//
// The model, in signal units before the stored value is formed:
//   signal part  S = signal · dose(x, y) · transmission(x, y)
//   stored value v = darkLevel + S + noise, rounded and clamped to 0 … 2^bitsStored − 1,
//                    inverted (2^bitsStored − 1 − v) for MONOCHROME1, then the detector faults.
// - dose: the heel effect across the chest wall, 1 − heel · (0.7 t + 0.3 t²) with t from 0 at
//   the chest wall to 1 at the opposite edge; a lateral fall-off along it, 1 − lateralFalloff · u²
//   with u from −1 to 1 and 0 at the middle of the chest-wall edge; collimation, 0 in the
//   unexposed strips with a penumbra of 3 pixels inside the field; all separable in x and y.
// - transmission: aluminiumTransmission on each aluminium object, 0.03 on each lead marker, the
//   paddle's transmission beyond its edge (a ramp 4 pixels wide about the line); objects and
//   markers have a ramp of objectEdgeBlur pixels at their edges (sharp below 1).
// - noise: Gaussian, variance σ_e² + g · S with σ_e² a tenth of noise², so that σ = noise at the
//   chest wall in the open field; the rounding to whole values adds 1/12.
// - faults: dead lines take their value as stored (no inversion); dead pixels read 0.
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

// The same seed gives the same image on every machine; about 15 ms for 2400 × 1800.
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
// the other if that one is not wholly in the exposed field (penumbra excluded), or touches a
// marker, an object, a dead line or pixel, or the paddle's edge; nullopt if neither side is clear.
std::optional<imaging::Roi> ReferenceBackground(const ExposurePlan&, const imaging::Roi& aluminium);

}  // namespace exposure_test
