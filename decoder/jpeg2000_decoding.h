// JPEG 2000 code streams decoded with OpenJPEG, the library's own JPEG 2000 codec, called
// directly: a first picture at a reduced resolution (the finer levels skipped, a fraction of
// the full decoding, which follows), and the full image straight into the words.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "image_layout.h"

namespace decoder {

// Previews stay within this many pixels on their longer side.
inline constexpr unsigned PreviewSide = 1024;

struct Preview {
  unsigned width = 0;
  unsigned height = 0;
  std::vector<std::uint16_t> words;  // offset binary, as the image's will be
};

// The code stream at the coarsest resolution that keeps the longer side at PreviewSide or more,
// or nullopt where that is the full resolution or the stream does not decode so (the full
// decoding then says what is wrong).
std::optional<Preview> DecodeJpeg2000Preview(std::string_view codeStream,
                                             const ImageLayout& layout);

// The full image, on every processor. Raises ImageError when the stream does not decode to one
// component of the layout's size.
void DecodeJpeg2000Pixels(std::string_view codeStream, const ImageLayout& layout,
                          std::uint16_t* words);

}  // namespace decoder
