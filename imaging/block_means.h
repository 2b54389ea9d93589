// Means of square blocks of pixels: the coarse copy of an image that the object search reads.
#pragma once

#include <cstddef>
#include <vector>

#include "pixel_view.h"
#include "roi.h"

namespace imaging {

// Blocks [from, to) along one axis of the grid.
struct BlockSpan {
  int from = 0;
  int to = 0;
};

struct BlockMeans {
  int blockSize = 0;  // pixels per block side
  int originX = 0;    // the pixel at the top-left corner of block (0, 0)
  int originY = 0;
  int columns = 0;  // whole blocks only: the last blockSize - 1 columns or rows may be left out
  int rows = 0;
  std::vector<double> means;  // row-major, columns * rows

  std::size_t index(int column, int row) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
           static_cast<std::size_t>(column);
  }
  // The pixels of the blocks [column, column + across) × [row, row + down).
  Roi pixels(int column, int row, int across = 1, int down = 1) const {
    return {originX + column * blockSize, originY + row * blockSize, across * blockSize,
            down * blockSize};
  }
  // The grid's columns (rows) that lie wholly inside the pixels [start, end) of x (y), or that
  // those pixels touch; within the grid.
  BlockSpan columnsOver(int start, int end, bool wholly) const {
    return spanOver(start - originX, end - originX, columns, wholly);
  }
  BlockSpan rowsOver(int start, int end, bool wholly) const {
    return spanOver(start - originY, end - originY, rows, wholly);
  }

 private:
  BlockSpan spanOver(int start, int end, int count, bool wholly) const;
};

// The block side that makes the grid about 512 blocks along the image's longer side, at least 4
// pixels so that a block mean averages out most of the pixel noise.
int ChooseBlockSize(int width, int height);

// Blocks tiled from the top-left corner of `area`, which lies inside the image. Each block's sum
// is an exact integer, rounded once by the division to its mean. An area smaller than one block
// (or not inside the image) gives an empty grid.
// Example: a 10 × 9 area with blockSize 4 gives 2 columns and 2 rows over its top-left 8 × 8.
BlockMeans ComputeBlockMeans(const PixelView& image, int blockSize, const Roi& area);

}  // namespace imaging
