// The image as the file's pixel description gives it, checked for what Quantelo measures.
#pragma once

#include <gdcmDataSet.h>

#include "imaging/dicom_image.h"

namespace decoder {

struct ImageLayout {
  unsigned width = 0;
  unsigned height = 0;
  unsigned bitsAllocated = 0;  // 8 or 16
  unsigned bitsStored = 0;     // 1 to bitsAllocated
  unsigned highBit = 0;        // bitsStored - 1 to bitsAllocated - 1
  bool isSigned = false;
  imaging::Photometric photometric = imaging::Photometric::Monochrome2;

  std::size_t pixelCount() const { return std::size_t{width} * height; }
};

// Raises ImageError with the user's message for colour, several frames, no size or more than
// MaxImageSide or MaxImagePixels, another pixel layout than 1 to 16 bits in 8 or 16, and a Pixel
// Representation other than 0 and 1.
ImageLayout DescribedImage(const gdcm::DataSet& dataSet);

}  // namespace decoder
