// Whether a background ROI beside the aluminium shares the object's own background. At the same
// distance from the chest wall the heel effect gives both the same dose, and what remains along
// the chest wall is a smooth fall-off to the sides; a detector's tile seam (a step in its gain), a
// patch of uneven gain or the ghost of an earlier exposure between or under them is not, and
// would move "BG" off the background the object lies on.
#pragma once

#include <cstdint>
#include <vector>

#include "exposure_survey.h"
#include "roi.h"

namespace imaging {

enum class BackgroundBreak : std::uint8_t {
  None,
  Step,  // the background changes its level between the object and the place, and stays there
  Bump,  // the place lies on a rise or dip that the background beyond it has not
};

struct BackgroundDeparture {
  BackgroundBreak kind = BackgroundBreak::None;
  double offset = 0;  // the place's background less the object's, in stored values
};

// The background along the chest wall at one distance from it: the median of the block means
// across a band (the blocks wholly inside the given ROI's extent across the chest wall, those
// where any object found may reach left out), one value per block along the exposed field, and a
// quadratic fitted to it robustly (least squares, twice refitted to the values within 4
// deviations), which follows the fall-off to the sides but not a step or a bump of a few
// centimetres.
class BackgroundAlongChestWall {
 public:
  BackgroundAlongChestWall(const ExposureSurvey& survey, const Roi& band);

  // How the place's background departs from the object's surround (the 3 blocks beyond where
  // it may reach, on the place's side; on the other side where the two disagree and that one
  // departs less from the quadratic, as when a bump beside the object reaches into its
  // surround): where the difference of their mean departures from the
  // quadratic exceeds both 5 of its own noise deviations and 1 % of the object's contrast, a
  // bump where the background beyond the place is back within that of the surround, else a
  // step. None where the place does not lie beside the object along the chest wall or where
  // either has no value.
  // Example: a seam of +3 % gain running away from the chest wall between the object and the
  // place gives a step with an offset of about 3 % of the background's signal.
  BackgroundDeparture departure(const FoundObject& object, const Roi& place) const;

 private:
  // The blocks along the chest wall that the ROI covers wholly, or touches.
  BlockSpan along(const Roi& roi, bool wholly) const;
  // The mean residual over a span of blocks, and how many had a value.
  std::pair<double, int> meanResidual(BlockSpan span) const;

  const ExposureSurvey& survey_;
  bool alongRows_ = true;  // the chest wall is the left or right edge
  std::vector<double> residuals_;  // per block along; NaN where there is no value
  double noise_ = 0;               // of one residual
};

}  // namespace imaging
