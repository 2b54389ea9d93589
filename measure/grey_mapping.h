// How stored values become screen greys: the display window, and a lookup table through it. No
// window system here, so the mapping is tested on its own.
#pragma once

#include <cstdint>
#include <vector>

#include "footprint.h"
#include "imaging/dicom_image.h"

namespace measure {

// The window for a first look at the whole exposure, made once per image: the 0.5 % and 99.5 %
// points of the stored values inside the exposed field (imaging::FindExposedField; of every
// n-th row where it has more than 2047, so that a thousand or more count), so that
// neither the collimated border nor an outlier, a dead line or a marker moves it, as modality
// values, widened by a quarter of their span on either side so that the noise of the field stays
// inside it and only what lies well beyond shows black or white. Width at least 1.
// Example: a field holding each of 1000 to 1999 once gives the points 1005 and 1994 (more than 5
// values lie at or beyond each) and so centre 1499.5, width 1483.5.
imaging::DisplayWindow AutomaticDisplayWindow(const imaging::DicomImage& image);

// The 8-bit grey of each of the 65536 offset-binary stored values: the modality value through
// DICOM's linear window function (values up to centre - 0.5 - (width - 1) / 2 black, values
// above centre - 0.5 + (width - 1) / 2 white, a straight line between), inverted for
// MONOCHROME1; and the stored values between those limits, which the window does not clip.
// Example: centre 100, width 21 maps 89.5 and below to 0, 110 and above to 255 and 100 to 134
// (MONOCHROME1: 121); stored values 90 to 109 lie inside.
struct GreyTable {
  std::vector<std::uint8_t> greys;
  int firstInside = 0;  // firstInside > lastInside when the window clips every value
  int lastInside = -1;
};
GreyTable MakeGreyTable(const imaging::DicomImage& image, const imaging::DisplayWindow& window);

// The grey a screen pixel shows for what it covers: its mean, unless the smallest or the largest
// value lies outside the window, which would clip it; then that one, the farther outside of the
// two, so that a dead pixel or line shows at any zoom while the noise is averaged.
inline std::uint8_t FootprintGrey(const GreyTable& table, const Footprint& footprint) {
  const int below = table.firstInside - footprint.lowest;
  const int above = footprint.highest - table.lastInside;
  if (below <= 0 && above <= 0) return table.greys[footprint.mean];
  return table.greys[below >= above ? footprint.lowest : footprint.highest];
}

}  // namespace measure
