// The search for the version record in a file's bytes, over well-formed and spoiled ELF images.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "tests/toolkit/elf_image.h"
#include "toolkit/version_record.h"

namespace toolkit {
namespace {

using Field = ElfImage::SectionField;
using Header = ElfImage::HeaderField;

constexpr VersionNumbers Version{2, 10, 300, 4};
constexpr std::size_t VersionIndex = 2;  // after ".text"
constexpr std::uint64_t Huge = std::numeric_limits<std::uint64_t>::max();

struct Kind {
  int bits;
  std::endian order;
};
const Kind Kinds[] = {{64, std::endian::little},
                      {64, std::endian::big},
                      {32, std::endian::little},
                      {32, std::endian::big}};

testing::Message Describe(const Kind& kind) {
  return testing::Message() << kind.bits << (kind.order == std::endian::big ? " big" : " little");
}

std::vector<std::byte> Text(const std::string& text) {
  std::vector<std::byte> bytes;
  for (const char c : text) bytes.push_back(std::byte(c));
  return bytes;
}

ElfImage Image(const Kind& kind, std::vector<std::byte> record) {
  return ElfImage(kind.bits, kind.order,
                  {{".text", Text("code")}, {".qversion", std::move(record)}});
}

ElfImage Image(const Kind& kind, const VersionNumbers& version = Version) {
  return Image(kind, RecordBytes(version, kind.order));
}

// Searches a heap copy of exactly the bytes, so that the sanitizers see any read past the end.
std::optional<VersionNumbers> Find(std::span<const std::byte> bytes) {
  const std::unique_ptr<std::byte[]> copy(new std::byte[bytes.size()]);
  std::copy(bytes.begin(), bytes.end(), copy.get());
  return FindVersionRecord(std::span(copy.get(), bytes.size()));
}

TEST(VersionRecord, FoundInEveryClassAndByteOrder) {
  const VersionNumbers versions[] = {
      {1, 0, 0, 0}, {2, 10, 300, 4}, {1, 2, 1000, 4}, {0x0102, 0x0304, 5, 6}, {65535, 1, 65535, 0}};
  for (const Kind& kind : Kinds) {
    for (const VersionNumbers& version : versions) {
      SCOPED_TRACE(Describe(kind) << " " << version[0] << "." << version[1] << "." << version[2]
                                  << "." << version[3]);
      EXPECT_EQ(Find(Image(kind, version).bytes()), version);
    }
  }
}

TEST(VersionRecord, PaddingAfterTheRecordIsIgnored) {
  for (const Kind& kind : Kinds) {
    SCOPED_TRACE(Describe(kind));
    std::vector<std::byte> padded = RecordBytes(Version, kind.order);
    padded.resize(32, std::byte{0xF9});
    EXPECT_EQ(Find(Image(kind, padded).bytes()), Version);
  }
}

TEST(VersionRecord, OnlyTheSectionOfExactlyThatNameCounts) {
  const std::vector<std::byte> decoy = RecordBytes({9, 9, 9, 9}, std::endian::little);
  const ElfImage image(64, std::endian::little,
                       {{".qversio", decoy},
                        {".qversion.old", decoy},
                        {"qversion", decoy},
                        {".qversion", RecordBytes(Version, std::endian::little)}});
  EXPECT_EQ(Find(image.bytes()), Version);
}

TEST(VersionRecord, NothingInBytesThatAreNoElfFileOfAKnownKind) {
  struct Case {
    const char* what;
    std::size_t at;
    std::byte value;
  };
  const Case cases[] = {
      {"magic", 1, std::byte{'e'}},      {"class 0", 4, std::byte{0}},
      {"class 3", 4, std::byte{3}},      {"byte order 0", 5, std::byte{0}},
      {"byte order 3", 5, std::byte{3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::byte> bytes = Image(Kinds[0]).bytes();
    bytes[c.at] = c.value;
    EXPECT_EQ(Find(bytes), std::nullopt);
  }
  for (const char* text : {"",
                           "\x7F"
                           "ELF",
                           "#!/bin/sh\necho 001000000000\n"}) {
    EXPECT_EQ(Find(Text(text)), std::nullopt) << text;
  }
}

TEST(VersionRecord, NothingInAnyTruncatedFile) {
  for (const Kind& kind : Kinds) {
    SCOPED_TRACE(Describe(kind));
    const std::vector<std::byte> whole = Image(kind).bytes();
    ASSERT_EQ(Find(whole), Version);
    for (std::size_t size = 0; size < whole.size(); ++size) {
      EXPECT_EQ(Find(std::span(whole).first(size)), std::nullopt) << size;
    }
  }
}

TEST(VersionRecord, NothingWhereAnOffsetOrSizeIsWrong) {
  struct Case {
    const char* what;
    std::function<void(ElfImage&)> spoil;
  };
  const Case cases[] = {
      {"section table beyond the end", [](ElfImage& e) { e.set(Header::TableOffset, Huge - 8); }},
      {"section table one entry late",
       [](ElfImage& e) { e.set(Header::TableOffset, e.bytes().size() - 4 * e.entrySize() + 1); }},
      // The table of four entries taken eight bytes long each ends where the file ends.
      {"section headers too small",
       [](ElfImage& e) {
         const std::size_t table = e.bytes().size() - 4 * e.entrySize();
         e.set(Header::EntrySize, 8);
         e.truncate(table + 4 * 8);
       }},
      {"no sections", [](ElfImage& e) { e.set(Header::SectionCount, 0); }},
      {"more sections than the file holds",
       [](ElfImage& e) { e.set(Header::SectionCount, 65535); }},
      {"names index past the sections", [](ElfImage& e) { e.set(Header::NamesIndex, 4); }},
      {"names index escape value", [](ElfImage& e) { e.set(Header::NamesIndex, 0xFFFF); }},
      {"names beyond the end", [](ElfImage& e) { e.set(e.namesIndex(), Field::Offset, Huge - 1); }},
      {"names size wrapping round", [](ElfImage& e) { e.set(e.namesIndex(), Field::Size, Huge); }},
      {"names without contents", [](ElfImage& e) { e.set(e.namesIndex(), Field::Type, NoBits); }},
      {"name offset past the names", [](ElfImage& e) { e.set(VersionIndex, Field::Name, Huge); }},
      {"name running off the names' end",
       [](ElfImage& e) {
         e.set(e.namesIndex(), Field::Size, e.get(VersionIndex, Field::Name) + 5);
       }},
      {"record beyond the end", [](ElfImage& e) { e.set(VersionIndex, Field::Offset, Huge - 15); }},
      {"record size wrapping round", [](ElfImage& e) { e.set(VersionIndex, Field::Size, Huge); }},
      {"record one byte short", [](ElfImage& e) { e.set(VersionIndex, Field::Size, 15); }},
      {"record without contents", [](ElfImage& e) { e.set(VersionIndex, Field::Type, NoBits); }},
  };
  for (const Kind& kind : Kinds) {
    for (const Case& c : cases) {
      SCOPED_TRACE(Describe(kind) << ": " << c.what);
      ElfImage image = Image(kind);
      c.spoil(image);
      EXPECT_EQ(Find(image.bytes()), std::nullopt);
    }
  }
}

TEST(VersionRecord, NothingWithoutTheRecordItself) {
  std::vector<std::byte> otherMagic = RecordBytes(Version, std::endian::little);
  otherMagic[7] = std::byte{'2'};
  const ElfImage images[] = {
      ElfImage(64, std::endian::little, {{".text", Text("code")}}),
      Image(Kinds[0], otherMagic),
      Image(Kinds[0], std::vector<std::byte>{}),
  };
  for (const ElfImage& image : images) EXPECT_EQ(Find(image.bytes()), std::nullopt);
}

}  // namespace
}  // namespace toolkit
