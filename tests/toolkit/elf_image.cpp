#include "tests/toolkit/elf_image.h"

namespace toolkit {

namespace {

std::size_t HeaderSize(bool wide) {
  return wide ? 64 : 52;
}
std::size_t EntrySize(bool wide) {
  return wide ? 64 : 40;
}

}  // namespace

std::vector<std::byte> RecordBytes(const VersionNumbers& numbers, std::endian order) {
  std::vector<std::byte> bytes;
  for (const char c : VersionRecordMagic) bytes.push_back(std::byte(c));
  for (const std::uint16_t number : numbers) {
    const std::byte high{static_cast<unsigned char>(number >> 8)};
    const std::byte low{static_cast<unsigned char>(number & 0xFF)};
    const bool big = order == std::endian::big;
    bytes.push_back(big ? high : low);
    bytes.push_back(big ? low : high);
  }
  return bytes;
}

ElfImage::ElfImage(int bits, std::endian order, const std::vector<ElfSection>& sections)
    : wide_(bits == 64), order_(order), sectionCount_(sections.size() + 2) {
  bytes_.resize(HeaderSize(wide_));
  const unsigned char ident[] = {0x7F,
                                 'E',
                                 'L',
                                 'F',
                                 static_cast<unsigned char>(wide_ ? 2 : 1),
                                 static_cast<unsigned char>(order == std::endian::big ? 2 : 1),
                                 1};
  for (std::size_t i = 0; i < std::size(ident); ++i) bytes_[i] = std::byte{ident[i]};

  std::vector<std::byte> names{std::byte{0}};
  std::vector<std::size_t> nameOffsets, contentOffsets;
  const auto addName = [&](const std::string& name) {
    nameOffsets.push_back(names.size());
    for (const char c : name) names.push_back(std::byte(c));
    names.push_back(std::byte{0});
  };
  for (const ElfSection& section : sections) {
    addName(section.name);
    contentOffsets.push_back(bytes_.size());
    if (section.type != NoBits) {
      bytes_.insert(bytes_.end(), section.contents.begin(), section.contents.end());
    }
  }
  addName(".shstrtab");
  contentOffsets.push_back(bytes_.size());
  bytes_.insert(bytes_.end(), names.begin(), names.end());

  tableOffset_ = bytes_.size();
  bytes_.resize(tableOffset_ + sectionCount_ * EntrySize(wide_));
  set(HeaderField::TableOffset, tableOffset_);
  set(HeaderField::EntrySize, EntrySize(wide_));
  set(HeaderField::SectionCount, sectionCount_);
  set(HeaderField::NamesIndex, namesIndex());
  for (std::size_t i = 1; i < sectionCount_; ++i) {
    const bool isNames = i == namesIndex();
    set(i, SectionField::Name, nameOffsets[i - 1]);
    set(i, SectionField::Type, isNames ? 3 : sections[i - 1].type);
    set(i, SectionField::Offset, contentOffsets[i - 1]);
    set(i, SectionField::Size, isNames ? names.size() : sections[i - 1].contents.size());
  }
}

void ElfImage::set(HeaderField field, std::uint64_t value) {
  const std::size_t shentsize = wide_ ? 0x3A : 0x2E;
  switch (field) {
    case HeaderField::TableOffset:
      return put({wide_ ? 0x28u : 0x20u, wide_ ? 8u : 4u}, value);
    case HeaderField::EntrySize:
      return put({shentsize, 2}, value);
    case HeaderField::SectionCount:
      return put({shentsize + 2, 2}, value);
    case HeaderField::NamesIndex:
      return put({shentsize + 4, 2}, value);
  }
}

std::size_t ElfImage::entrySize() const {
  return EntrySize(wide_);
}

void ElfImage::set(std::size_t section, SectionField field, std::uint64_t value) {
  put(place(section, field), value);
}

std::uint64_t ElfImage::get(std::size_t section, SectionField field) const {
  const Place at = place(section, field);
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < at.width; ++i) {
    const std::size_t byte = order_ == std::endian::big ? i : at.width - 1 - i;
    value = value << 8 | std::to_integer<std::uint64_t>(bytes_[at.offset + byte]);
  }
  return value;
}

ElfImage::Place ElfImage::place(std::size_t section, SectionField field) const {
  const std::size_t entry = tableOffset_ + section * EntrySize(wide_);
  const std::size_t word = wide_ ? 8 : 4;
  const std::size_t offsetField = wide_ ? 0x18 : 0x10;
  switch (field) {
    case SectionField::Name:
      return {entry, 4};
    case SectionField::Type:
      return {entry + 4, 4};
    case SectionField::Offset:
      return {entry + offsetField, word};
    case SectionField::Size:
      break;
  }
  return {entry + offsetField + word, word};
}

void ElfImage::put(Place place, std::uint64_t value) {
  for (std::size_t i = 0; i < place.width; ++i) {
    const std::size_t byte = order_ == std::endian::big ? place.width - 1 - i : i;
    bytes_[place.offset + byte] = std::byte(static_cast<unsigned char>(value >> (8 * i)));
  }
}

}  // namespace toolkit
