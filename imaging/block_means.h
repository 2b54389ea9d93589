// Means of square blocks of pixels: the coarse copy of an image that the object search reads.
#pragma once

#include <cstddef>
#include <vector>

#include "pixel_view.h"

namespace imaging {

struct BlockMeans {
  int blockSize = 0;  // pixels per block side
  int columns = 0;    // whole blocks only: the last blockSize - 1 columns or rows may be left out
  int rows = 0;
  std::vector<double> means;  // row-major, columns * rows

  std::size_t index(int column, int row) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
           static_cast<std::size_t>(column);
  }
};

// The block side that makes the grid about 512 blocks along the image's longer side, at least 4
// pixels so that a block mean averages out most of the pixel noise.
int ChooseBlockSize(int width, int height);

// Blocks tiled from the top-left corner. Each block's sum is an exact integer, rounded once by
// the division to its mean. An image smaller than one block gives an empty grid.
// Example: a 10 × 9 image with blockSize 4 gives 2 columns and 2 rows over its top-left 8 × 8.
BlockMeans ComputeBlockMeans(const PixelView& image, int blockSize);

}  // namespace imaging
