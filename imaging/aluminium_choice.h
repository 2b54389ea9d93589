// Which of the objects found is the aluminium test object. 0.2 mm of aluminium at mammography
// energies takes a few per cent of the dose away (about 4 % at high kV with tungsten, 30 % at low
// kV with molybdenum): lead takes nearly all of it, the ghost of an earlier exposure or a patch of
// the detector's gain only a per cent or two, and nothing that absorbs can add dose.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "object_finder.h"

namespace imaging {

// The bounds of an aluminium object's contrast, as a share of the background's signal above no
// dose.
inline constexpr double LowestAluminiumContrast = 0.03;
inline constexpr double HighestAluminiumContrast = 0.5;

// What speaks against an object being the aluminium.
enum class AluminiumDoubt : std::uint8_t {
  None,
  TooStrong,  // more contrast than aluminium gives: lead
  TooFaint,   // less: a ghost, the detector's gain
  AddsDose,   // its values lie beyond the background's, away from no dose
};

// The object's contrast as a share of the background's signal above the stored value of no dose.
double RelativeContrast(const FoundObject& object, double zeroLevel);
AluminiumDoubt DoubtAbout(const FoundObject& object, double zeroLevel);

struct AluminiumChoice {
  std::optional<FoundObject> aluminium;
  double zeroLevel = 0;  // the one of the levels offered that the choice was made by
};

// The object most like the test object: one free of doubt first, then a square one (its sides
// within a factor 2), then one of a test object's size (5 to 40 mm a side, where the pixel
// spacing is known, else any), then the largest. zeroLevels are the stored values that may stand
// for no dose, the likelier first: the one the exposed field's border shows, or where there is
// none, the two ends of the value range. Of two, the first under which the chosen object is free
// of doubt is taken; where it is under neither, the one it takes dose away towards. Without
// objects, no aluminium.
// Example: a square 8 % darker than the background beside a larger square 1.5 % brighter (a
// ghost) gives the darker one, with the end of the range below it as the zero level.
AluminiumChoice ChooseAluminium(std::span<const FoundObject> objects,
                                std::span<const double> zeroLevels, double pixelSpacingMm);

}  // namespace imaging
