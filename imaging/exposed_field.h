// The part of an exposure that the X-ray field reached, found from the image alone.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "pixel_view.h"
#include "roi.h"

namespace imaging {

// The part of an exposure that the X-ray field reached: the image less the unexposed (collimated)
// strips along its edges. In mammography the field reaches the chest-wall edge and is usually
// collimated short of the others, so the borders also tell where the chest wall is.
enum class ImageEdge : std::uint8_t { Left, Top, Right, Bottom };
struct ExposedField {
  Roi field;  // the exposed rectangle, the penumbra of each border left out; the whole image when
              // there is no border
  std::array<bool, 4> border{};  // indexed by ImageEdge: an unexposed strip lies along that edge
  std::optional<double>
      borderLevel;  // mean stored (offset-binary) value of the unexposed strips, when there are any
};

// A border is a strip along a whole edge, at least 2 pixels wide, flat out to the edge and
// beyond a sharp step from the field: at most 80 pixels of penumbra (2 mm at 0.05 mm, with room
// to settle), at least 10 pixel noise deviations high and at least half the field's distance
// from the end of the value range on the strip's side, so that the strip holds at most half the
// field's signal. That end is 0 (or a signed image's zero) below and 2^bitsStored − 1 above, so
// that inverted (MONOCHROME1) values are found as well as the usual ones. The levels are robust
// profiles (the median across the middle half of the other direction), so an object, a marker
// or a dead line does not count; a heel slope makes no sharp step, and a paddle edge of a few
// per cent, or an object of less than twice the field's signal, stays below half. A strip spans
// at most a third of the side, unless the profile falls into two classes of which one holds at
// most a quarter of the other's signal: then up to three quarters, so that a magnification field
// of a third of the detector is found. The profiles are read twice, the second time across the
// middle of the field the first strips leave. Images under 16 pixels a side have no border.
// borderLevel is the mean of the strips' levels (from the profiles, so a dead line through a
// strip does not move it), weighted by their areas.
// Example: a 600 × 480 exposure at 1550 with the left 40 columns at 50 and a 4-pixel penumbra
// gives the field {44, 0, 556, 480}, border[Left] and a borderLevel near 50.
// Cost: the profiles read about a sixth of the pixels; about 15 ms for 4096 × 3328.
ExposedField FindExposedField(const PixelView& image, int bitsStored);

}  // namespace imaging
