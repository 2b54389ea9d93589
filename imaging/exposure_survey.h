// What the automatic placement and the plausibility checks learn about an exposure as a whole:
// its smooth background, what stands off it, the exposed field, the chest wall and the objects.
// Made once per image; the checks of any ROI later only look things up in it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "aluminium_choice.h"
#include "background_fit.h"
#include "block_means.h"
#include "chest_wall.h"
#include "dicom_image.h"
#include "exposed_field.h"
#include "object_finder.h"
#include "pixel_view.h"
#include "roi.h"

namespace imaging {

struct ExposureSurvey {
  PixelView pixels;
  int bitsStored = 16;
  BlockMeans blocks;
  BackgroundFit background;  // no residuals when the grid is too small to fit one
  ExposedField field;
  double zeroLevel = 0;  // the stored value of no dose
  ChestWall chestWall;
  std::vector<FoundObject> objects;  // largest first
  // The aluminium, as ChooseAluminium finds it among the objects; zeroLevel is the one it was
  // chosen by.
  std::optional<FoundObject> aluminium;
  // The side PlaceRois gives both ROIs at the default size: the largest the object allows, or
  // smaller where only a smaller pair finds "BG" a clean place. 0 without aluminium.
  int placedRoiSide = 0;

  // Whether the ROI overlaps where any object found may reach.
  bool overlapsObject(const Roi& roi) const;
  // Whether the block means under the ROI and one block around it stray from their own
  // least-squares plane: a block by more than 5 deviations of a block's noise, measured from the
  // blocks themselves so that a detector's blur does not pass for structure (an edge, a marker,
  // a line), or a whole row or column of blocks by more than a quarter of the pixel
  // noise and its own noise (a step, which would swell a standard deviation). A smooth slope,
  // such as the heel effect's, is no structure.
  bool showsStructure(const Roi& roi, double pixelNoise) const;
};

// bitsStored bounds the values: with no unexposed border in the image, the end of the range that
// less dose runs to stands for no dose. Which end that is, is told by the border, else by the
// aluminium (it takes dose away; the end under which an object is plausible aluminium), else by
// the photometric interpretation (MONOCHROME1 raw data falls with dose). Cost: one pass over the pixels, a sample of them for the exposed field and a
// few passes over the block grid; about 55 ms for 4096 × 3328.
ExposureSurvey SurveyExposure(const PixelView& image, int bitsStored, Photometric photometric,
                              const ImageContext& context);
ExposureSurvey SurveyExposure(const DicomImage& image);

}  // namespace imaging
