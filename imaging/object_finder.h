// Finding the aluminium object of a test exposure: a rectangle whose mean differs from the
// background around it, brighter or darker.
#pragma once

#include <optional>

#include "pixel_view.h"
#include "roi.h"

namespace imaging {

// The object as far as the block grid can tell: each edge to within one block.
struct FoundObject {
  Roi estimate;   // the object's blocks
  Roi inside;     // lies within the object: the estimate less one block on each side
  Roi reach;      // the object lies within this: its blocks, untrimmed, plus one block around
  int blockSize;  // the grid's block side in pixels
};

// The blocks whose mean lies more than 5 noise deviations off the fitted background, grouped into
// 4-connected regions of one sign. The object is the largest region that does not touch the grid
// border, spans at least 3 × 3 blocks, fills at least 70 % of its bounding box and differs from
// the background at least twice as much as the blocks 2 to 3 blocks around the box; edge rows and
// columns of that box less than half filled (a corner of a slightly turned object, a noise block
// at the edge) are trimmed off for `estimate` and `inside`. Nothing when no region qualifies,
// which a field of pure noise or a smooth slope never gives.
std::optional<FoundObject> FindObject(const PixelView& image);

}  // namespace imaging
