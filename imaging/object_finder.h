// Finding the objects of a test exposure: rectangles whose level differs from the smooth
// background around them, brighter or darker.
#pragma once

#include <cstdint>
#include <vector>

#include "background_fit.h"
#include "block_means.h"
#include "roi.h"

namespace imaging {

// +1, -1 or 0 for each block: above, below or within the background's noise band (5 noise
// deviations, so that a false mark is a one in a million event per block).
std::vector<std::int8_t> MarkBlocks(const BackgroundFit& background);

// An object as far as the block grid can tell: each edge to within one block.
struct FoundObject {
  Roi estimate;     // its rectangular core: blocks at the object's level and of no other object
  Roi inside;       // lies within the object: the estimate less one block on each side
  Roi reach;        // the object lies within this: its blocks, untrimmed, plus one block around
  int blockSize;    // the grid's block side in pixels
  double contrast;  // the core's mean residual: object minus background, in stored values
  double level;     // the background's fitted level under the core
};

// Marked blocks grouped into 4-connected regions of one sign and one level: a block joins a
// region when its residual from the quadratic surface alone lies within a fifth of the region's
// mean (or 4 noise deviations) of it, so that a lead marker touching the aluminium, a dead line
// across it or a paddle edge over it splits it instead of merging with it. An object is a region
// that keeps off the grid border, whose core (the largest rectangle of its blocks, holes at its
// level and not another region's blocks counted in) spans at least 3 × 3 blocks and half of the
// region, and that differs from the background at least twice as much as the blocks 2 to 3 blocks
// around the core. Largest core first; empty when none qualifies, which a field of pure noise or a
// smooth slope never gives.
std::vector<FoundObject> FindObjects(const BlockMeans& blocks, const BackgroundFit& background,
                                     const std::vector<std::int8_t>& marks);

}  // namespace imaging
