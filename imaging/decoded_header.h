// What decoding a file gives, before it becomes a DicomImage: the header the reader checks and
// the memory the pixels were decoded into. Shared by the reader and the decoding helper.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
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

// Memory for count pixel values, asked for once the header is known to be measurable.
using PixelMemory = std::function<std::uint16_t*(std::size_t count)>;

// What a reduced first picture is handed to, where decoding gives one before the image: the
// header with the picture's size, and its offset-binary values.
using PreviewSink =
    std::function<void(const DecodedHeader& header, std::span<const std::uint16_t> values)>;

// The refusal of a file that changed while it was decoded.
inline constexpr std::string_view ChangedWhileRead =
    "Die Datei hat sich beim Lesen verändert. Bitte erneut öffnen, wenn sie fertig geschrieben "
    "ist.";

// The image from a decoded header and its pixels.
DicomImage ImageFrom(DecodedHeader header, PixelStorage pixels);

}  // namespace imaging::detail
