#include "element_scan.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <new>
#include <string>

#include "dicom_decoder.h"
#include "imaging/dicom_image.h"

namespace decoder {
namespace {

constexpr std::uint32_t UndefinedLength = 0xFFFFFFFF;
constexpr std::uint16_t ItemGroup = 0xFFFE;
constexpr std::uint16_t Item = 0xE000, ItemEnd = 0xE00D, SequenceEnd = 0xE0DD;
// Deeper nesting than any real file has; a hostile one would exhaust the stack.
constexpr int MaxDepth = 32;

// Value representations with a 4-byte length in explicit encoding.
constexpr std::array<std::string_view, 13> LongRepresentations = {
    "OB", "OD", "OF", "OL", "OV", "OW", "SQ", "UC", "UN", "UR", "UT", "SV", "UV"};
constexpr std::array<std::string_view, 21> ShortRepresentations = {
    "AE", "AS", "AT", "CS", "DA", "DS", "DT", "FD", "FL", "IS", "LO",
    "LT", "PN", "SH", "SL", "SS", "ST", "TM", "UI", "UL", "US"};

template <std::size_t N>
bool among(const std::array<std::string_view, N>& list, std::string_view value) {
  for (const std::string_view entry : list) {
    if (entry == value) return true;
  }
  return false;
}

struct Coding {
  bool explicitVr = true;
  bool bigEndian = false;
};

class Damaged {};

class Walker {
 public:
  explicit Walker(std::string_view bytes) : bytes_(bytes) {}

  // What was seen so far; the transfer syntax as written, padding and all.
  ScannedFile& seen() { return seen_; }

  // The elements from at to end (or, when closedByItemEnd, up to and past an item delimiter);
  // returns where they end.
  std::size_t elements(std::size_t at, std::size_t end, Coding coding, int depth,
                       bool closedByItemEnd, std::uint16_t onlyGroup = 0) {
    if (depth > MaxDepth) throw Damaged();
    while (at < end) {
      const std::uint16_t group = u16(at, coding), element = u16(at + 2, coding);
      if (onlyGroup != 0 && group != onlyGroup) return at;
      if (group == ItemGroup) {
        // A delimiter has no value; the library would read one it declares.
        if (closedByItemEnd && element == ItemEnd && u32(at + 4, coding) == 0) return at + 8;
        throw Damaged();
      }
      std::string_view vr;
      std::uint32_t length;
      if (coding.explicitVr) {
        vr = take(at + 4, 2);
        if (among(LongRepresentations, vr)) {
          length = u32(at + 8, coding);
          at += 12;
        } else if (among(ShortRepresentations, vr)) {
          length = u16(at + 6, coding);
          at += 8;
        } else {
          throw Damaged();
        }
      } else {
        length = u32(at + 4, coding);
        at += 8;
      }
      if (length == UndefinedLength) {
        if (group == 0x7FE0 && element == 0x0010 && (vr.empty() || vr == "OB" || vr == "OW")) {
          at = fragments(at, end, coding, depth == 0);
        } else if (vr.empty() || vr == "SQ") {
          at = sequence(at, end, coding, depth);
        } else if (vr == "UN") {
          at = sequence(at, end, Coding{false, false}, depth);
        } else {
          throw Damaged();
        }
        continue;
      }
      within(at, length, end);
      if (vr == "SQ") sequence(at, at + length, coding, depth);
      if (group == 0x0002 && element == 0x0010) seen_.transferSyntax = bytes_.substr(at, length);
      if (group == 0x0028 && depth == 0) {
        std::string value(bytes_.substr(at, length));
        if (coding.bigEndian && length == 2) std::swap(value[0], value[1]);
        seen_.pixelDescription.push_back({element, std::string(vr), std::move(value)});
      }
      if (group == 0x7FE0 && element == 0x0010 && depth == 0) {
        seen_.pixelData = {bytes_.substr(at, length)};
      }
      at += length;
    }
    if (closedByItemEnd || at != end) throw Damaged();
    return at;
  }

 private:
  // Items up to end, or up to a sequence delimiter.
  std::size_t sequence(std::size_t at, std::size_t end, Coding coding, int depth) {
    while (at < end) {
      const std::uint16_t group = u16(at, coding), element = u16(at + 2, coding);
      const std::uint32_t length = u32(at + 4, coding);
      at += 8;
      if (group != ItemGroup) throw Damaged();
      if (element == SequenceEnd && length == 0) return at;
      if (element != Item) throw Damaged();
      if (length == UndefinedLength) {
        at = elements(at, end, coding, depth + 1, true);
      } else {
        within(at, length, end);
        elements(at, at + length, coding, depth + 1, false);
        at += length;
      }
    }
    if (at != end) throw Damaged();
    return at;
  }

  // Encapsulated pixel data: items of defined length up to a sequence delimiter, which the
  // end of the file may stand for.
  std::size_t fragments(std::size_t at, std::size_t end, Coding coding, bool kept) {
    if (kept) seen_.pixelData.clear();
    for (bool offsetTable = true; at != bytes_.size(); offsetTable = false) {
      const std::uint16_t group = u16(at, coding), element = u16(at + 2, coding);
      const std::uint32_t length = u32(at + 4, coding);
      at += 8;
      if (group != ItemGroup) throw Damaged();
      if (element == SequenceEnd && length == 0) return at;
      if (element != Item || length == UndefinedLength) throw Damaged();
      within(at, length, end);
      if (kept && !offsetTable) seen_.pixelData.push_back(bytes_.substr(at, length));
      at += length;
    }
    return at;
  }

  void within(std::size_t at, std::uint32_t length, std::size_t end) {
    if (at > end || length > end - at) throw Damaged();
  }
  std::string_view take(std::size_t at, std::size_t size) {
    if (at > bytes_.size() || size > bytes_.size() - at) throw Damaged();
    return bytes_.substr(at, size);
  }
  std::uint32_t number(std::size_t at, std::size_t size, Coding coding) {
    const std::string_view field = take(at, size);
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
      const auto byte = static_cast<unsigned char>(field[coding.bigEndian ? i : size - 1 - i]);
      value = value << 8 | byte;
    }
    return value;
  }
  std::uint16_t u16(std::size_t at, Coding coding) {
    return static_cast<std::uint16_t>(number(at, 2, coding));
  }
  std::uint32_t u32(std::size_t at, Coding coding) { return number(at, 4, coding); }

  std::string_view bytes_;
  ScannedFile seen_;
};

// A deflated data set inflated, as long as it stays within the file budget.
std::string inflated(std::string_view deflated) {
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
  std::string out;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
  stream.avail_in = static_cast<uInt>(deflated.size());
  int result = Z_OK;
  while (result == Z_OK) {
    if (out.size() >= MaxFileBytes) break;
    const std::size_t done = out.size();
    out.resize(std::min<std::size_t>(MaxFileBytes, std::max<std::size_t>(done * 2, 1 << 16)));
    stream.next_out = reinterpret_cast<Bytef*>(out.data() + done);
    stream.avail_out = static_cast<uInt>(out.size() - done);
    result = inflate(&stream, Z_NO_FLUSH);
    out.resize(out.size() - stream.avail_out);
  }
  inflateEnd(&stream);
  if (result != Z_STREAM_END) throw Damaged();
  return out;
}

}  // namespace

ScannedFile ScanElements(std::string_view file) {
  // A file without the mark would leave its encoding to the library's guess, which tries
  // other encodings after a failure, where no walk can follow it.
  if (file.size() < 132 || file.substr(128, 4) != "DICM") {
    throw imaging::ImageError("Die Datei ist keine DICOM-Datei.");
  }
  try {
    Walker walker(file);
    // The file meta information: explicit little endian, group 2 only.
    const std::size_t metaEnd = walker.elements(132, file.size(), {}, 0, false, 0x0002);
    std::string& syntax = walker.seen().transferSyntax;
    while (!syntax.empty() && (syntax.back() == '\0' || syntax.back() == ' ')) syntax.pop_back();
    // The meta information names the transfer syntax, and an image file has a data set.
    if (syntax.empty() || metaEnd == file.size()) throw Damaged();
    if (syntax == "1.2.840.10008.1.2.1.99") {
      // Walked as the library will read it once inflated.
      const std::string dataSet = inflated(file.substr(metaEnd));
      Walker inflatedWalker(dataSet);
      inflatedWalker.elements(0, dataSet.size(), {}, 0, false);
      return {syntax, std::move(inflatedWalker.seen().pixelDescription), {}};
    }
    walker.elements(metaEnd, file.size(),
                    {syntax != "1.2.840.10008.1.2", syntax == "1.2.840.10008.1.2.2"}, 0, false);
    return std::move(walker.seen());
  } catch (const Damaged&) {
    throw imaging::ImageError("Die Datei ist beschädigt oder unvollständig.");
  }
}

}  // namespace decoder
