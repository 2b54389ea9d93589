// Turning pixel data into the offset-binary words Quantelo measures, in one pass into the memory
// they are kept in: native data straight from its bytes, encapsulated data by the codec of its
// transfer syntax alone (no other is tried, and none runs an external program).
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "image_layout.h"

namespace decoder {

// Native pixel data: at least the image's bytes (the caller checks), in the byte order the
// transfer syntax gives.
void ConvertNativePixels(std::string_view bytes, bool bigEndian, const ImageLayout& layout,
                         std::uint16_t* words);

// RLE pixel data (one PackBits segment per byte of a sample, the most significant first),
// decoded straight into the words: the frame's segment table and lengths are checked before.
void DecodeRlePixels(std::string_view frame, const ImageLayout& layout, std::uint16_t* words);

// Lets a codec write the image's samples, sampleBytes (1 or 2) each in the machine's byte order,
// into the memory decode is given, and makes them words: samples of two bytes are written
// straight into the words and turned in place.
void DecodeSamplesIntoWords(const ImageLayout& layout, unsigned sampleBytes, std::uint16_t* words,
                            const std::function<void(void*, std::size_t)>& decode);

// The frame's code stream through the codec of its transfer syntax alone. Raises ImageError for a
// transfer syntax without one, a codec that fails, and one that delivers other than the image.
void DecodeEncapsulatedPixels(std::string_view transferSyntax, std::string_view codeStream,
                              const ImageLayout& layout, std::uint16_t* words);

}  // namespace decoder
