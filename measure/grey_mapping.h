// How stored values become screen greys: the display window, and a lookup table through it. No
// window system here, so the mapping is tested on its own.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/dicom_image.h"
#include "imaging/roi.h"

namespace measure {

// The file's window when it gives one; else the window that spans the modality values found
// inside the ROIs, so that their smallest value shows black and their largest white. The ROIs
// must fit in the image.
imaging::DisplayWindow ChooseDisplayWindow(const imaging::DicomImage& image,
                                           std::span<const imaging::Roi> rois);

// The 8-bit grey of each of the 65536 offset-binary stored values: the modality value through
// DICOM's linear window function (values up to centre - 0.5 - (width - 1) / 2 black, values
// above centre - 0.5 + (width - 1) / 2 white, a straight line between), inverted for
// MONOCHROME1. Example: centre 100, width 21 maps 89.5 and below to 0, 110 and above to 255 and
// 100 to 134 (MONOCHROME1: 121).
std::vector<std::uint8_t> GreyTable(const imaging::DicomImage& image,
                                    const imaging::DisplayWindow& window);

}  // namespace measure
