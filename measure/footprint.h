// What each screen pixel of the view covers of the image: when zoomed out several image pixels,
// whose mean, smallest and largest value the grey mapping chooses from. No window system here.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/pixel_view.h"

namespace measure {

struct Footprint {
  std::uint16_t mean = 0;  // rounded to the nearest value
  std::uint16_t lowest = 0;
  std::uint16_t highest = 0;
};

// The device pixels along one axis whose centres fall on the image, from `first` on, and the image
// pixels [from, to) each covers. Zoomed out (step > 1), the footprints tile the image between
// the pixel edges; zoomed in, each is the one image pixel under the device pixel's centre.
struct AxisFootprints {
  int first = 0;
  std::vector<int> from;
  std::vector<int> to;
};

// origin: the image coordinate at device pixel 0's left (top) edge; step: image pixels per
// device pixel. Example: origin 0, step 2.5 over 10 device pixels of a 20-pixel image gives 8
// footprints, [0, 2), [2, 5), [5, 7), [7, 10), … , [17, 20).
AxisFootprints FootprintsAlong(double origin, double step, int deviceExtent, int imageExtent);

// Row by row, columns.from.size() per row; one pass over the pixels covered.
std::vector<Footprint> ComputeFootprints(const imaging::PixelView& image,
                                         const AxisFootprints& columns, const AxisFootprints& rows);

}  // namespace measure
