// The smooth background of a test exposure and the noise about it, from block means, so that an
// object stands out as a large residual even on the slope of the heel effect.
#pragma once

#include <optional>
#include <vector>

#include "block_means.h"

namespace imaging {

struct BackgroundFit {
  std::vector<double> residuals;  // block mean minus the background, indexed as the means
  // Block mean minus the quadratic surface alone: a step straight across the image stays in it.
  std::vector<double> surfaceResiduals;
  double noise = 0;  // robust standard deviation of the background's residuals
};

// A quadratic surface in the block coordinates, fitted by least squares to the better-fitting
// half of the blocks and then to the blocks within 3 noise deviations, from two robust starts (a
// plane by medians; column and row medians), keeping the fit that leaves less noise; then the
// medians of what it leaves in each column and row, smoothed over 7 blocks, are taken as
// background too, so that a step straight across the image (a paddle edge) is no object while a
// dead line still is. An object
// well under half the image, brighter or darker, does not bend it. The noise is the median
// absolute residual of the blocks last kept, scaled to a standard deviation for normal noise,
// and never less than a quarter of a stored value, so that a noiseless image does not turn every
// rounding difference into an object. Nothing when the grid has fewer than 3 columns or rows.
std::optional<BackgroundFit> FitBackground(const BlockMeans& blocks);

}  // namespace imaging
