// JPEG and JPEG-LS code streams decoded by the codecs the library itself uses, called directly so
// that the samples are written where they are kept: the library's IJG decoders (8, 12 and 16
// bits) through their stream interface, CharLS for JPEG-LS.
#pragma once

#include <cstdint>
#include <string_view>

#include "image_layout.h"

namespace decoder {

// Raise ImageError when the codec fails or gives other than the layout's samples. The stream's
// header has been read and checked against the layout before.
void DecodeJpegPixels(std::string_view codeStream, const ImageLayout& layout, std::uint16_t* words);
void DecodeJpegLsPixels(std::string_view codeStream, const ImageLayout& layout,
                        std::uint16_t* words);

}  // namespace decoder
