// Small ELF files made to measure, and spoiled on purpose, for the version reader's tests.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/version_record.h"

namespace toolkit {

inline constexpr std::uint32_t ProgBits = 1;  // a section with contents in the file
inline constexpr std::uint32_t NoBits = 8;    // a section that takes no room in the file

struct ElfSection {
  std::string name;
  std::vector<std::byte> contents;
  std::uint32_t type = ProgBits;
};

// The sixteen bytes of a version record as a machine of the given byte order stores them.
std::vector<std::byte> RecordBytes(const VersionNumbers& numbers, std::endian order);

// Laid out as header, the sections' contents, the section names, the section table. The table
// holds the null section (index 0), the given sections (from 1) and the names (last).
class ElfImage {
 public:
  enum class HeaderField { TableOffset, EntrySize, SectionCount, NamesIndex };
  enum class SectionField { Name, Type, Offset, Size };

  ElfImage(int bits, std::endian order, const std::vector<ElfSection>& sections);

  const std::vector<std::byte>& bytes() const { return bytes_; }
  std::size_t namesIndex() const { return sectionCount_ - 1; }
  std::size_t entrySize() const;

  void set(HeaderField field, std::uint64_t value);
  void set(std::size_t section, SectionField field, std::uint64_t value);
  std::uint64_t get(std::size_t section, SectionField field) const;
  void truncate(std::size_t size) { bytes_.resize(size); }

 private:
  struct Place {
    std::size_t offset;
    std::size_t width;
  };
  Place place(std::size_t section, SectionField field) const;
  void put(Place place, std::uint64_t value);

  bool wide_;
  std::endian order_;
  std::size_t sectionCount_;
  std::size_t tableOffset_;
  std::vector<std::byte> bytes_;
};

}  // namespace toolkit
