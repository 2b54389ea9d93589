// Automatic placement of the two ROIs on a test exposure.
#pragma once

#include <optional>

#include "pixel_view.h"
#include "roi.h"

namespace imaging {

inline constexpr int DefaultRoiSize = 200;

struct RoiPlacement {
  Roi aluminium;
  Roi background;
  std::optional<Roi> object;  // the aluminium object found, if any
};

// Finds the aluminium object, a rectangular region whose mean differs from its surroundings
// (brighter or darker, so either photometric interpretation), and puts "Al" centred inside it
// and "BG", a square of the same size, mirrored about the object's nearest edge into the
// background, away from the image border. The size is preferredSize where it fits, else the
// largest square that fits inside the object with a margin. A smooth background slope (the heel
// effect) is taken out first, so it neither hides an object nor passes for one.
// - Edges are found to within one block of the search grid (1/512 of the longer image side, at
//   least 4 pixels). object is the part known to be aluminium, the object found less one block
//   on each side; "Al" lies inside it, and "BG" keeps clear of the object's whole possible
//   extent. The mirror line is the edge as found.
// - "BG" takes the first edge whose mirror image lies inside the image with a margin of 5 % of
//   the shorter side; nearer edges first, and of two about equally near the one whose "BG" lies
//   farther from the image border. Where no mirror image fits, "BG" moves the least way that
//   does, then may come nearer the border, then both shrink.
// - Without an object, or with one that leaves no room for "BG", both are placed as by
//   PlaceRoisAtCentre and object is empty.
// Example: a 4096 × 3328 field with a 600 × 400 object at (1000, 1000) gives object (1008, 1008,
// 584 × 384) and "Al" the 200 × 200 square at (1200, 1100). Top and bottom edge are equally
// near; "BG" goes across the bottom edge to (1200, 1500), where it lies farther from the border
// than at (1200, 700) across the top one.
// Cost: one pass over the pixels and a few over a grid of blocks; about 40 ms for 4096 × 3328.
RoiPlacement PlaceRoisAutomatically(const PixelView& image, int preferredSize = DefaultRoiSize);

// Two squares of the given size (reduced until both fit) side by side about the image centre,
// "Al" first, a quarter side apart: across, or one above the other where that allows a larger
// size. An image of one pixel gives both the same pixel; an empty image, two empty ROIs.
// A size below 1 counts as 1.
RoiPlacement PlaceRoisAtCentre(const PixelView& image, int size = DefaultRoiSize);

}  // namespace imaging
