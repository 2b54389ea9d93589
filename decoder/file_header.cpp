#include "file_header.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace decoder {
namespace {

constexpr std::string_view Mark = "DICM";
constexpr std::size_t PreambleBytes = 128;
constexpr std::string_view ExplicitLittleEndian = "1.2.840.10008.1.2.1";
constexpr std::string_view ImplicitLittleEndian = "1.2.840.10008.1.2";

constexpr std::array<std::string_view, 34> ValueRepresentations = {
    "AE", "AS", "AT", "CS", "DA", "DS", "DT", "FD", "FL", "IS", "LO", "LT",
    "OB", "OD", "OF", "OL", "OV", "OW", "PN", "SH", "SL", "SQ", "SS", "ST",
    "SV", "TM", "UC", "UI", "UL", "UN", "UR", "US", "UT", "UV"};

std::string littleEndian(std::uint32_t value, std::size_t bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes; ++i) text += static_cast<char>(value >> (8 * i) & 0xFF);
  return text;
}

// An explicit little-endian element of the meta group with a 2-byte length.
std::string metaElement(std::uint16_t element, std::string_view vr, std::string value) {
  if (value.size() % 2 != 0) value += '\0';
  return littleEndian(0x0002, 2) + littleEndian(element, 2) + std::string(vr) +
         littleEndian(static_cast<std::uint32_t>(value.size()), 2) + value;
}

}  // namespace

std::optional<std::string> WithFileHeader(std::string_view file) {
  if (file.size() >= PreambleBytes + Mark.size() &&
      file.substr(PreambleBytes, Mark.size()) == Mark)
    return std::nullopt;
  if (file.size() < 8 || file[0] != 0x08 || file[1] != 0x00) return std::nullopt;
  const bool explicitVr = std::find(ValueRepresentations.begin(), ValueRepresentations.end(),
                                    file.substr(4, 2)) != ValueRepresentations.end();
  const std::string syntax(explicitVr ? ExplicitLittleEndian : ImplicitLittleEndian);
  // (0002,0001) is OB, whose length takes 4 bytes after two reserved ones.
  const std::string version = littleEndian(0x0002, 2) + littleEndian(0x0001, 2) + "OB" +
                              std::string(2, '\0') + littleEndian(2, 4) + std::string("\0\1", 2);
  const std::string group = version + metaElement(0x0010, "UI", syntax);
  return std::string(PreambleBytes, '\0') + std::string(Mark) +
         metaElement(0x0000, "UL", littleEndian(static_cast<std::uint32_t>(group.size()), 4)) +
         group + std::string(file);
}

}  // namespace decoder
