// Checks of what the codecs would be handed, before any of them sees it (the library's own
// header readers read past a short stream and trust what a damaged one declares): the shape a
// JPEG, JPEG-LS or JPEG 2000 stream declares against the file's, the segments of RLE data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace decoder {

// What the file's header declares for the image.
struct DeclaredImage {
  unsigned rows = 0;
  unsigned columns = 0;
  unsigned samplesPerPixel = 1;
  unsigned bitsAllocated = 0;
};

enum class Codec : std::uint8_t { None, Jpeg, JpegLs, Jpeg2000, Rle };

// The codec of the transfer syntax: None for native pixel data and encapsulated formats Quantelo
// does not decode.
Codec CodecOf(std::string_view transferSyntax);

// The frame's code stream, which may lie in several fragments: joined into joined only then. An
// RLE frame is its first fragment, with its segment table. Raises ImageError when there is none.
std::string_view CodeStream(Codec codec, const std::vector<std::string_view>& pixelData,
                            std::string& joined);

// A JPEG 2000 code stream that a writer wrapped in a JP2 file's boxes (which DICOM does not
// allow; found in real files): the code stream of its 'jp2c' box. Nothing where the stream does
// not begin with the JP2 signature box; raises ImageError where the boxes hold no code stream.
std::optional<std::string_view> CodeStreamInJp2(std::string_view stream);

// Raises ImageError when the codec's stream does not hold together with the image declared:
// codec headers with other sizes, precisions the codecs cannot handle, RLE segment tables that
// point outside their fragment or give other than one image plane each. Codec::None passes: native
// pixel data's size is checked against the image elsewhere.
void CheckCodecStreams(Codec codec, std::string_view stream, const DeclaredImage& image);

// Raises ImageError when the coded data ends before the last row its header declares, where the
// codec would fill the rest in (JPEG). A walk through all of it: run beside the decoding.
void CheckCodedDataComplete(Codec codec, std::string_view stream);

}  // namespace decoder
