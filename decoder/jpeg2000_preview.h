// A first picture of a JPEG 2000 exposure, decoded at a reduced resolution straight from the code
// stream (OpenJPEG, the library's own JPEG 2000 codec): the finer resolution levels are skipped,
// so it takes a fraction of the full decoding, which follows.
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

}  // namespace decoder
