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

// The background along the chest wall at the object's distance from it, one value per block
// along the exposed field: the median of the block means across a band (the blocks wholly inside
// the given ROI's extent across the chest wall, those where any object found may reach left
// out). Where the object interrupts the band, the blocks just beyond where it may reach, on both
// sides across the chest wall, stand in (shifted by their median difference from the band), so
// that the background under the object is read too, and a seam at the object's edge is seen
// where it runs. A smooth model is fitted to the values robustly: a quadratic, which follows the
// fall-off to the sides, together with the one step along the profile that fits best (least
// squares, twice refitted to the values within 4 deviations). The step belongs to what departs
// from the smooth background, not to the model, so that a seam is neither followed by the model
// nor allowed to tilt it.
class BackgroundAlongChestWall {
 public:
  BackgroundAlongChestWall(const ExposureSurvey& survey, const FoundObject& object,
                           const Roi& band);

  // How the place's background departs from the background under the object: where the
  // difference of their mean departures from the quadratic exceeds both 5 of its own noise
  // deviations and 1 % of the object's contrast, a bump where the background beyond the place
  // is back within that of the object, else a step. None where the place does not lie beside the
  // object along the chest wall or where either has no value.
  // Example: a seam of +3 % gain running away from the chest wall between the object and the
  // place gives a step with an offset of about 3 % of the background's signal.
  BackgroundDeparture departure(const Roi& place) const;

  // How much the background under the object changes from one half of it to the other along the
  // chest wall, beyond the model, where that exceeds the same limit: then no place beside the
  // object meets its background (uneven gain, a ghost or a seam under it). 0 otherwise.
  double unevennessUnderObject() const;

 private:
  // The mean departure over blocks along the chest wall, and its variance.
  struct Level {
    double mean = 0;
    double variance = 0;
    int count = 0;
  };
  BlockSpan along(const Roi& roi, bool wholly) const;
  Level levelOver(BlockSpan span) const;
  // Whether two levels differ by more than 5 of their noise deviations and 1 % of the contrast.
  bool differ(const Level& one, const Level& other) const;

  const ExposureSurvey& survey_;
  const FoundObject& object_;
  bool alongRows_ = true;          // the chest wall is the left or right edge
  std::vector<double> residuals_;  // per block along; NaN where there is no value
  std::vector<double> variances_;  // of each value: the band's noise, or the stand-ins'
};

}  // namespace imaging
