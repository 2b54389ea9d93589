// Reading the numbers of a codec stream's headers, every read within the stream.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "imaging/dicom_image.h"

namespace decoder {

[[noreturn]] inline void DamagedStream(const std::string& what) {
  throw imaging::ImageError("Die Bilddaten sind beschädigt: " + what + ".");
}

// The size bytes at at, most significant first.
inline std::uint32_t BigEndian(std::string_view bytes, std::size_t at, std::size_t size) {
  if (at > bytes.size() || size > bytes.size() - at) DamagedStream("der Datenstrom ist zu kurz");
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size; ++i) {
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  }
  return value;
}

// Four bytes at at, least significant first.
inline std::uint32_t LittleEndian32(std::string_view bytes, std::size_t at) {
  if (at > bytes.size() || 4 > bytes.size() - at) DamagedStream("der Datenstrom ist zu kurz");
  std::uint32_t value = 0;
  for (std::size_t i = 4; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

}  // namespace decoder
