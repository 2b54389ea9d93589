// Automatic placement of the two ROIs on a test exposure.
#pragma once

#include <optional>

#include "exposure_survey.h"
#include "pixel_view.h"
#include "roi.h"

namespace imaging {

inline constexpr int DefaultRoiSize = 200;

struct RoiPlacement {
  Roi aluminium;
  Roi background;
  std::optional<Roi> object;  // the part of the aluminium object found that is surely aluminium
};

// The side of "Al" by the size rule: preferredSize where the object allows, else the largest
// square inside the object with a margin of a block (at most a quarter of its shorter side).
int AluminiumRoiSide(const FoundObject& aluminium, int preferredSize = DefaultRoiSize);

// Puts "Al" centred in the aluminium object of the survey and "BG", a square of the same size,
// beside the object at the same distance from the chest wall, where the heel effect gives the
// background the dose the aluminium gets. Of the places along the chest wall on either side of
// the object, inside the exposed field and two blocks clear of its edge, "BG" takes the nearest
// clean one (of two equally near, the one towards the field's middle): off every object found,
// on the object's own background (BackgroundAlongChestWall: no seam, uneven gain or ghost
// between or under them), without structure in its blocks (ExposureSurvey::showsStructure: markers,
// edges, lines, steps), without outlier pixels or lines (InspectRoi), and with pixel noise within a
// quarter of the median of the nearest such places'. Where no place is clean at any size, the
// nearest one that fits; where none fits, both shrink.
// - Without an object, or with one that leaves no room for "BG", both are placed as by
//   PlaceRoisAtCentre in the exposed field and object is empty.
// Example: a 2400 × 1800 exposure at 0.1 mm (blocks of 5 pixels) with the chest wall at the left
// edge and a 200 × 200 square at (500, 800), its middle 60 mm from the chest wall, gives "Al" the
// 180 × 180 square at (510, 810) and "BG" the one at (510, 610), above it: the same columns, so
// the same distance from the chest wall. The image's middle row runs through "Al", so neither
// side is the outer one, and of the two equally near places the one above comes first.
RoiPlacement PlaceRois(const ExposureSurvey& survey, int preferredSize = DefaultRoiSize);

// Two squares of the given size (reduced until both fit) side by side about the centre of the
// area (the image, or its exposed field), "Al" first, a quarter side apart: across, or one above
// the other where that allows a larger size. An area of one pixel gives both the same pixel; an
// empty one, two empty ROIs. A size below 1 counts as 1.
RoiPlacement PlaceRoisAtCentre(const Roi& area, int size = DefaultRoiSize);

}  // namespace imaging
