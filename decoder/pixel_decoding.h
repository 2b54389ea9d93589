// Turning pixel data into the offset-binary words Quantelo measures, in one pass into the memory
// they are kept in: native data straight from its bytes, encapsulated data by the codec of its
// transfer syntax alone (no other is tried, and none runs an external program).
#pragma once

#include <gdcmDataElement.h>
#include <gdcmTransferSyntax.h>

#include <cstdint>
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

// Encapsulated pixel data through its codec. Raises ImageError for a transfer syntax without one,
// a codec that fails, and one that delivers fewer bytes than the image has.
void DecodeEncapsulatedPixels(const gdcm::DataElement& pixelData,
                              const gdcm::TransferSyntax& syntax, const ImageLayout& layout,
                              std::uint16_t* words);

}  // namespace decoder
