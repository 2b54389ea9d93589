#include "version_record.h"

#include <algorithm>
#include <string_view>

namespace toolkit {

namespace {

using Bytes = std::span<const std::byte>;

constexpr std::string_view SectionName{QUANTELO_VERSION_SECTION, sizeof QUANTELO_VERSION_SECTION};
constexpr std::uint64_t SectionWithoutBytes = 8;  // SHT_NOBITS: occupies no room in the file

// Where the fields the search needs lie in each file class.
struct Layout {
  std::size_t headerSize;
  std::size_t tableOffsetField;    // e_shoff
  std::size_t wordWidth;           // of e_shoff, sh_offset and sh_size
  std::size_t entrySizeField;      // e_shentsize, followed by e_shnum and e_shstrndx
  std::size_t entrySize;           // of a section header, at the least
  std::size_t sectionOffsetField;  // sh_offset, followed by sh_size
};
constexpr Layout Elf32{52, 0x20, 4, 0x2E, 40, 0x10};
constexpr Layout Elf64{64, 0x28, 8, 0x3A, 64, 0x18};

// The bytes from offset on, size of them; nothing unless they all lie within bytes.
std::optional<Bytes> Within(Bytes bytes, std::uint64_t offset, std::uint64_t size) {
  if (offset > bytes.size() || size > bytes.size() - offset) return std::nullopt;
  return bytes.subspan(offset, size);
}

// Reads unsigned numbers in the file's byte order from places already known to lie within.
class NumberReader {
 public:
  explicit NumberReader(bool bigEndian) : bigEndian_(bigEndian) {}

  std::uint64_t operator()(Bytes bytes, std::size_t offset, std::size_t width) const {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
      const std::size_t at = bigEndian_ ? offset + i : offset + width - 1 - i;
      value = value << 8 | std::to_integer<std::uint64_t>(bytes[at]);
    }
    return value;
  }

 private:
  bool bigEndian_;
};

struct Section {
  std::uint64_t name;  // offset in the section name table
  std::uint64_t type;
  std::uint64_t offset;
  std::uint64_t size;
};

class ElfFile {
 public:
  ElfFile(Bytes file, const Layout& layout, NumberReader read)
      : file_(file), layout_(layout), read_(read) {}

  std::optional<VersionNumbers> versionRecord() const {
    const std::size_t entrySize = read_(file_, layout_.entrySizeField, 2);
    const std::size_t count = read_(file_, layout_.entrySizeField + 2, 2);
    const std::size_t namesIndex = read_(file_, layout_.entrySizeField + 4, 2);
    if (entrySize < layout_.entrySize || namesIndex >= count) return std::nullopt;
    const std::optional<Bytes> table =
        Within(file_, read_(file_, layout_.tableOffsetField, layout_.wordWidth), count * entrySize);
    if (!table) return std::nullopt;
    const auto section = [&](std::size_t index) {
      return sectionAt(table->subspan(index * entrySize, layout_.entrySize));
    };
    const std::optional<Bytes> names = contents(section(namesIndex));
    if (!names) return std::nullopt;
    for (std::size_t index = 0; index < count; ++index) {
      const Section candidate = section(index);
      if (isNamed(*names, candidate.name)) return record(contents(candidate));
    }
    return std::nullopt;
  }

 private:
  Section sectionAt(Bytes entry) const {
    const std::size_t word = layout_.wordWidth;
    return {read_(entry, 0, 4), read_(entry, 4, 4), read_(entry, layout_.sectionOffsetField, word),
            read_(entry, layout_.sectionOffsetField + word, word)};
  }

  std::optional<Bytes> contents(const Section& section) const {
    if (section.type == SectionWithoutBytes) return std::nullopt;
    return Within(file_, section.offset, section.size);
  }

  static bool isNamed(Bytes names, std::uint64_t offset) {
    const std::optional<Bytes> name = Within(names, offset, SectionName.size());
    return name && std::equal(name->begin(), name->end(), SectionName.begin(),
                              [](std::byte b, char c) { return b == std::byte(c); });
  }

  // The record opens the section; what follows is padding, such as a sanitizer's guard bytes.
  std::optional<VersionNumbers> record(std::optional<Bytes> bytes) const {
    if (!bytes || bytes->size() < sizeof(VersionRecord)) return std::nullopt;
    if (!std::equal(VersionRecordMagic.begin(), VersionRecordMagic.end(), bytes->begin(),
                    [](char c, std::byte b) { return b == std::byte(c); })) {
      return std::nullopt;
    }
    VersionNumbers numbers{};
    const std::size_t first = VersionRecordMagic.size();
    for (std::size_t i = 0; i < numbers.size(); ++i) {
      numbers[i] = static_cast<std::uint16_t>(read_(*bytes, first + 2 * i, 2));
    }
    return numbers;
  }

  Bytes file_;
  const Layout& layout_;
  NumberReader read_;
};

}  // namespace

std::optional<VersionNumbers> FindVersionRecord(std::span<const std::byte> file) {
  // e_ident: the magic number, then the class (1: 32 bits, 2: 64) and the byte order (1: little
  // endian, 2: big endian).
  constexpr std::byte ElfMagic[] = {std::byte{0x7F}, std::byte{'E'}, std::byte{'L'},
                                    std::byte{'F'}};
  if (file.size() < Elf32.headerSize ||
      !std::equal(std::begin(ElfMagic), std::end(ElfMagic), file.begin())) {
    return std::nullopt;
  }
  const std::byte fileClass = file[4];
  const std::byte byteOrder = file[5];
  if (byteOrder != std::byte{1} && byteOrder != std::byte{2}) return std::nullopt;
  const NumberReader read(byteOrder == std::byte{2});
  if (fileClass == std::byte{1}) return ElfFile(file, Elf32, read).versionRecord();
  if (fileClass == std::byte{2} && file.size() >= Elf64.headerSize) {
    return ElfFile(file, Elf64, read).versionRecord();
  }
  return std::nullopt;
}

}  // namespace toolkit
