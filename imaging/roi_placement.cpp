#include "roi_placement.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "object_finder.h"

namespace imaging {

namespace {

// "BG" keeps this share of the shorter image side from the border, where the field is least
// uniform, unless only the border leaves room.
constexpr int BorderMarginDivisor = 20;

// "BG" is only ever worked out across the object's left edge: the other edges are the left edge
// of the image transposed, flipped left to right, or both.
struct Frame {
  bool transposed = false;
  bool flipped = false;  // left and right swapped, after transposing
};

constexpr std::array<Frame, 4> FramesForEdges{
    {{false, false}, {false, true}, {true, false}, {true, true}}};

Roi Transposed(const Roi& roi) {
  return {roi.y, roi.x, roi.height, roi.width};
}
Roi FlippedX(const Roi& roi, int width) {
  return {width - roi.right(), roi.y, roi.width, roi.height};
}

struct Extent {
  int width;
  int height;
};

Extent InFrame(Extent image, Frame frame) {
  return frame.transposed ? Extent{image.height, image.width} : image;
}
Roi ToFrame(Roi roi, Frame frame, Extent image) {
  if (frame.transposed) roi = Transposed(roi);
  return frame.flipped ? FlippedX(roi, InFrame(image, frame).width) : roi;
}
Roi FromFrame(Roi roi, Frame frame, Extent image) {
  if (frame.flipped) roi = FlippedX(roi, InFrame(image, frame).width);
  return frame.transposed ? Transposed(roi) : roi;
}

struct Candidate {
  Roi background;
  int shift;            // how far it had to move from the mirror image of "Al" to fit
  int edgeDistance;     // from the centre of "Al" to the edge, doubled to stay whole
  int borderClearance;  // from "BG" to the nearest image border
};

// "Al" mirrored about the object's left edge, moved the least way that keeps it clear of where
// the object may reach and margin away from the image border; nothing if no such place exists.
std::optional<Candidate> AcrossLeftEdge(const Roi& aluminium, const FoundObject& object,
                                        Extent image, int margin) {
  const int size = aluminium.width;
  const int mirroredX = 2 * object.estimate.x - aluminium.right();
  const int highestX = std::min(object.reach.x, image.width - margin) - size;
  const int highestY = image.height - margin - size;
  if (margin > highestX || margin > highestY) return std::nullopt;
  const Roi background{std::clamp(mirroredX, margin, highestX),
                       std::clamp(aluminium.y, margin, highestY), size, size};
  return Candidate{background,
                   std::abs(background.x - mirroredX) + std::abs(background.y - aluminium.y),
                   2 * (aluminium.x - object.estimate.x) + size,
                   std::min({background.x, background.y, image.width - background.right(),
                             image.height - background.bottom()})};
}

// Prefers a true mirror image, then the nearest edge (within a block, the edge's uncertainty),
// then the place farther from the image border.
bool IsBetter(const Candidate& candidate, const Candidate& best, int blockSize) {
  if (candidate.shift != best.shift) return candidate.shift < best.shift;
  if (std::abs(candidate.edgeDistance - best.edgeDistance) > 2 * blockSize)
    return candidate.edgeDistance < best.edgeDistance;
  return candidate.borderClearance > best.borderClearance;
}

std::optional<Roi> PlaceBackground(const Roi& aluminium, const FoundObject& object, Extent image,
                                   int margin) {
  std::optional<Candidate> best;
  Frame bestFrame;
  for (const Frame frame : FramesForEdges) {
    const FoundObject objectInFrame{ToFrame(object.estimate, frame, image),
                                    ToFrame(object.inside, frame, image),
                                    ToFrame(object.reach, frame, image), object.blockSize};
    const std::optional<Candidate> candidate = AcrossLeftEdge(
        ToFrame(aluminium, frame, image), objectInFrame, InFrame(image, frame), margin);
    if (candidate && (!best || IsBetter(*candidate, *best, object.blockSize))) {
      best = candidate;
      bestFrame = frame;
    }
  }
  if (!best) return std::nullopt;
  return FromFrame(best->background, bestFrame, image);
}

// The largest side not above `size` for two squares with a gap of a quarter side between them
// along `along` and within `across`; 0 if not even two single pixels fit.
int PairSide(int size, int along, int across) {
  int side = std::min({size, across, along / 2});
  while (side > 0 && 2 * side + side / 4 > along) --side;
  return std::max(side, 0);
}

}  // namespace

RoiPlacement PlaceRoisAtCentre(const PixelView& image, int size) {
  size = std::max(size, 1);
  const int sideAcross = PairSide(size, image.width, image.height);
  const int sideDown = PairSide(size, image.height, image.width);
  if (sideAcross == 0 && sideDown == 0) {
    // At most one pixel each way: both share what there is.
    const int side = std::max(std::min({size, image.width, image.height}), 0);
    const Roi whole{0, 0, side, side};
    return {whole, whole, std::nullopt};
  }
  const bool across = sideAcross >= sideDown;
  const int side = across ? sideAcross : sideDown;
  const int pairLength = 2 * side + side / 4;
  const int start = ((across ? image.width : image.height) - pairLength) / 2;
  const int middle = ((across ? image.height : image.width) - side) / 2;
  const Roi first{start, middle, side, side};
  const Roi second{start + pairLength - side, middle, side, side};
  if (across) return {first, second, std::nullopt};
  return {Transposed(first), Transposed(second), std::nullopt};
}

RoiPlacement PlaceRoisAutomatically(const PixelView& image, int preferredSize) {
  const std::optional<FoundObject> object = FindObject(image);
  if (!object) return PlaceRoisAtCentre(image, preferredSize);
  const Roi& inside = object->inside;
  const Extent extent{image.width, image.height};
  const int shorterSide = std::min(inside.width, inside.height);
  const int innerMargin = std::min(object->blockSize, shorterSide / 4);
  const int borderMargin =
      std::max(object->blockSize, std::min(image.width, image.height) / BorderMarginDivisor);
  for (int size = std::clamp(preferredSize, 1, shorterSide - 2 * innerMargin); size > 0;
       size -= std::max(1, size / 8)) {
    const Roi aluminium{inside.x + (inside.width - size) / 2, inside.y + (inside.height - size) / 2,
                        size, size};
    for (const int margin : {borderMargin, 0}) {
      if (const auto background = PlaceBackground(aluminium, *object, extent, margin))
        return {aluminium, *background, inside};
    }
  }
  // An object that leaves no room for the background is of no use.
  return PlaceRoisAtCentre(image, preferredSize);
}

}  // namespace imaging
