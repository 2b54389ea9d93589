// Which image edge the chest wall lies at. The anode–cathode axis runs away from it, so the heel
// effect changes the background along that axis and hardly at all parallel to the chest wall:
// a background ROI at the same distance from the chest wall as "Al" shares its dose.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "dicom_image.h"
#include "exposed_field.h"

namespace imaging {

enum class ChestWallEvidence : std::uint8_t {
  Heel,                // the background's dose falls away from the edge
  Borders,             // the only edge of the four that is not collimated
  PatientOrientation,  // the file's Patient Orientation names the posterior side
  Laterality,          // the file's laterality, as images of a breast are hung
  ImageShape,          // a long side of the detector, for want of anything better
};

struct ChestWall {
  ImageEdge edge = ImageEdge::Left;
  ChestWallEvidence evidence = ChestWallEvidence::ImageShape;
  // Where the image and the file name different edges: the edge the weaker named, and why.
  std::optional<ImageEdge> disputedEdge = {};
  ChestWallEvidence disputedBy = ChestWallEvidence::ImageShape;

  // Whether the chest wall is the left or right edge, so that places at the same distance from
  // it share a column range.
  bool isVertical() const { return edge == ImageEdge::Left || edge == ImageEdge::Right; }
};

// The relative change of the background's dose from the left to the right end of the exposed
// field and from its top to its bottom (0.1: a tenth more dose at the right end).
struct HeelSlope {
  double leftToRight = 0;
  double topToBottom = 0;
};

// The first evidence that speaks, in the order of ChestWallEvidence, except where the image and the
// file disagree. A heel counts when the dose changes by at least 2 % along one axis and at least
// twice as much as along the other, and then the edge with more dose (the cathode side) is the
// chest wall. Where exactly three edges are collimated, the fourth is the chest wall. What biases
// a background ROI is the heel in the image, so a strong image (a heel of 5 % or more, or three
// collimated edges) wins over the file's word; a weaker heel does not. Either way the other edge
// is kept as disputed, so that the checks can say so. Patient Orientation names
// the posterior direction of the rows ("P…" as its first value: the chest wall is at the right)
// or of the columns; laterality "R" puts it at the right edge and "L" at the left. Last, the
// chest wall is taken to lie along a long side: the left edge of an upright image, else the top.
ChestWall FindChestWall(const HeelSlope& heel, const std::array<bool, 4>& borders,
                        const ImageContext& context, int width, int height);

}  // namespace imaging
