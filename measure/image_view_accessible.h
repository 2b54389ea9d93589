// The image view as screen readers see it: a list named after the image whose two items are the
// ROIs, each named with its place and size ("Al: x 912, y 1950, 200 × 200") and selected when the
// keys move it.
#pragma once

namespace measure {

class ImageView;

// Installs the description of image views, once per process.
void InstallImageViewAccessibility();

// Tells screen readers that the ROI moved, changed size or became the selected one.
void AnnounceRoiChange(ImageView& view, int index);

}  // namespace measure
