// The version record the build stores in an executable, and the search for it in a file's bytes.
// Standard library only, so the reader also builds where there is no Qt (the fuzz targets).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// The ELF section that holds the record. A macro, because the section attribute takes a literal.
#define QUANTELO_VERSION_SECTION ".qversion"

namespace toolkit {

// Major, minor, release and build, as the version resources of other platforms count them.
using VersionNumbers = std::array<std::uint16_t, 4>;

inline constexpr std::array<char, 8> VersionRecordMagic = {'Q', 'V', 'E', 'R', 'S', 'N', '0', '1'};

// Sixteen bytes at the start of the section: the magic, then the four numbers in the byte order
// of the executable's machine.
struct VersionRecord {
  std::array<char, 8> magic;
  VersionNumbers numbers;
};
static_assert(sizeof(VersionRecord) == 16);

constexpr VersionRecord MakeVersionRecord(std::uint16_t major, std::uint16_t minor,
                                          std::uint16_t release, std::uint16_t build) {
  return {VersionRecordMagic, {major, minor, release, build}};
}

// The numbers of the record in the section QUANTELO_VERSION_SECTION of an ELF file (32 or 64
// bits, either byte order). Nothing when the bytes are no such file, lack the section, or any
// offset or size in them points outside the bytes.
std::optional<VersionNumbers> FindVersionRecord(std::span<const std::byte> file);

}  // namespace toolkit
