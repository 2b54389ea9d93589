// The DICOM library's part of reading an image. Its own checks may end the process on a
// damaged file, so the reader runs it where that cannot hurt (dicom_reader.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "dicom_image.h"

namespace imaging::detail {

struct DecodedHeader {
  int width = 0;
  int height = 0;
  std::int32_t offset = 0;
  Photometric photometric = Photometric::Monochrome2;
  int bitsStored = 0;
  Rescale rescale;
  std::optional<DisplayWindow> window;
  std::vector<std::string> factValues;  // in the order of HeaderFactSources()
  ImageContext context;
};

// Memory for count pixel values.
using PixelMemory = std::function<std::uint16_t*(std::size_t count)>;

// Reads and checks the file and decodes its pixels as offset-binary values into the memory
// pixelsFor gives. Raises ImageError with the user's message.
DecodedHeader DecodeDicom(std::istream& stream, const PixelMemory& pixelsFor);

// DecodeDicom as the decoder module exports it, for the reader to look up by name.
using DecodeEntry = void (*)(std::istream& stream, const PixelMemory& pixelsFor,
                             DecodedHeader& header);
inline constexpr const char* DecodeEntryName = "quantelo_decode_dicom";

}  // namespace imaging::detail
