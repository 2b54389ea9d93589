// The image as the file's pixel description gives it, checked for what Quantelo measures.
#pragma once

#include <gdcmDataSet.h>

#include <cstdint>

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

// How a stored sample becomes the word Quantelo measures: Bits Stored kept from the high bit down
// (overlays may use the bits above), signed values turned into offset binary, so that every later
// sum is of unsigned integers.
class StoredToWord {
 public:
  explicit StoredToWord(const ImageLayout& layout)
      : shift_(layout.highBit + 1 - layout.bitsStored),
        mask_(static_cast<std::uint16_t>((1u << layout.bitsStored) - 1)),
        flip_(layout.isSigned ? static_cast<std::uint16_t>(1u << (layout.bitsStored - 1)) : 0) {}
  std::uint16_t operator()(unsigned sample) const {
    return static_cast<std::uint16_t>(((sample >> shift_) & mask_) ^ flip_);
  }

 private:
  unsigned shift_;
  std::uint16_t mask_;
  std::uint16_t flip_;
};

// Raises ImageError with the user's message for colour, several frames, no size or more than
// MaxImageSide or MaxImagePixels, another pixel layout than 1 to 16 bits in 8 or 16, and a Pixel
// Representation other than 0 and 1.
ImageLayout DescribedImage(const gdcm::DataSet& dataSet);

}  // namespace decoder
