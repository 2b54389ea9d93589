#include "jpeg_stream.h"

#include <string>

#include "imaging/dicom_image.h"
#include "stream_bytes.h"

namespace decoder {
namespace {

constexpr std::uint32_t StartOfScan = 0xFFDA;

bool isFrameMarker(std::uint32_t marker, bool jpegLs) {
  return jpegLs ? marker == 0xFFF7
                : marker >= 0xFFC0 && marker <= 0xFFCF && marker != 0xFFC4 && marker != 0xFFC8 &&
                      marker != 0xFFCC;
}

void readHuffmanTables(std::string_view segment, JpegHeader& header) {
  for (std::size_t at = 0; at < segment.size();) {
    const std::uint32_t kind = BigEndian(segment, at, 1);
    if (kind >> 4 > 1 || (kind & 15) > 3) DamagedStream("eine Huffman-Tabelle ist ungültig");
    HuffmanTable table;
    std::size_t total = 0;
    for (std::size_t length = 1; length <= 16; ++length) {
      table.counts[length] = static_cast<std::uint8_t>(BigEndian(segment, at + length, 1));
      total += table.counts[length];
    }
    // Canonical codes (ITU T.81, C.2) of each length must fit that length: a table that claims
    // more is no code at all.
    int codes = 0;
    for (std::size_t length = 1; length <= 16; ++length) {
      codes = (codes + table.counts[length]);
      if (codes > (1 << length)) DamagedStream("eine Huffman-Tabelle ist ungültig");
      codes <<= 1;
    }
    if (total > 256) DamagedStream("eine Huffman-Tabelle ist ungültig");
    for (std::size_t i = 0; i < total; ++i) {
      table.values.push_back(static_cast<std::uint8_t>(BigEndian(segment, at + 17 + i, 1)));
    }
    (kind >> 4 == 0 ? header.dcTables : header.acTables)[kind & 15] = std::move(table);
    (kind >> 4 == 0 ? header.dcDefined : header.acDefined)[kind & 15] = true;
    at += 17 + total;
  }
}

void readFrame(std::uint32_t marker, std::string_view segment, bool jpegLs, JpegHeader& header) {
  if (header.frameMarker != 0) DamagedStream("der JPEG-Datenstrom hat mehr als einen Bildkopf");
  header.frameMarker = marker;
  header.precision = BigEndian(segment, 0, 1);
  header.rows = BigEndian(segment, 1, 2);
  header.columns = BigEndian(segment, 3, 2);
  header.components = BigEndian(segment, 5, 1);
  const bool lossless =
      jpegLs || marker == 0xFFC3 || marker == 0xFFC7 || marker == 0xFFCB || marker == 0xFFCF;
  const bool precisionOk = lossless ? header.precision >= 2 && header.precision <= 16
                                    : header.precision == 8 || header.precision == 12;
  if (!precisionOk || segment.size() != 6 + 3 * std::size_t{header.components}) {
    DamagedStream("der JPEG-Datenstrom hat eine Bittiefe von " + std::to_string(header.precision) +
                  " Bits, die sich nicht lesen lässt");
  }
}

// The coded data's bits, with stuffed zero bytes dropped; a marker ends them. Bits past the end
// read as zeros, as the decoder fills them in, and consuming any sets exhausted().
class CodedBits {
 public:
  CodedBits(std::string_view stream, std::size_t at) : stream_(stream), at_(at) {}

  // The next count bits (1 to 16), not consumed.
  unsigned peek(int count) {
    if (count_ < count) fill();
    return static_cast<unsigned>(buffer_ >> (count_ - count)) & ((1u << count) - 1);
  }
  void skip(int count) {
    if (count_ < count) fill();
    count_ -= count;
    if (count_ < padding_) exhausted_ = true;
  }
  bool exhausted() const { return exhausted_; }

  // At a restart: what is left of the last byte dropped, then the marker RSTn expected.
  bool restart(unsigned n) {
    if (count_ - padding_ >= 8) return false;
    buffer_ = 0;
    count_ = padding_ = 0;
    while (at_ + 1 < stream_.size() && byte(at_) == 0xFF && byte(at_ + 1) == 0xFF) ++at_;
    if (at_ + 1 >= stream_.size() || byte(at_) != 0xFF || byte(at_ + 1) != 0xD0 + (n & 7)) {
      return false;
    }
    at_ += 2;
    return true;
  }

 private:
  unsigned byte(std::size_t at) const { return static_cast<unsigned char>(stream_[at]); }

  void fill() {
    while (count_ <= 56) {
      unsigned next = 0;
      if (at_ < stream_.size() && byte(at_) != 0xFF) {
        next = byte(at_++);
      } else if (at_ + 1 < stream_.size() && byte(at_) == 0xFF && byte(at_ + 1) == 0) {
        next = 0xFF;  // a stuffed zero byte follows
        at_ += 2;
      } else {
        padding_ += 8;  // the end or a marker: zeros from here
      }
      buffer_ = buffer_ << 8 | next;
      count_ += 8;
    }
  }

  std::string_view stream_;
  std::size_t at_;
  std::uint64_t buffer_ = 0;
  int count_ = 0;    // bits in buffer_, the lowest ones
  int padding_ = 0;  // of them, the zeros after the end
  bool exhausted_ = false;
};

// The canonical codes of a table (ITU T.81, F.2.2.3), codes of up to 9 bits looked up at once.
class HuffmanDecoder {
 public:
  explicit HuffmanDecoder(const HuffmanTable& table) : values_(table.values) {
    int code = 0, index = 0;
    for (int length = 1; length <= 16; ++length) {
      first_[length] = code;
      start_[length] = index;
      for (int i = 0; i < table.counts[length]; ++i, ++code, ++index) {
        if (length <= FastBits) {
          const int spread = 1 << (FastBits - length);
          for (int low = 0; low < spread; ++low) {
            fast_[static_cast<std::size_t>(code * spread + low)] =
                static_cast<std::uint16_t>(length << 8 | values_[static_cast<std::size_t>(index)]);
          }
        }
      }
      last_[length] = table.counts[length] == 0 ? -1 : code - 1;
      code <<= 1;
    }
  }
  // The value of the next code, consumed; -1 for a code the table does not have.
  int decode(CodedBits& bits) const {
    if (const std::uint16_t entry = fast_[bits.peek(FastBits)]; entry != 0) {
      bits.skip(entry >> 8);
      return entry & 0xFF;
    }
    for (int length = FastBits + 1; length <= 16; ++length) {
      const int code = static_cast<int>(bits.peek(length));
      if (code <= last_[length]) {
        bits.skip(length);
        return values_[static_cast<std::size_t>(start_[length] + code - first_[length])];
      }
    }
    return -1;
  }

 private:
  static constexpr int FastBits = 9;
  std::array<std::uint16_t, 1 << FastBits> fast_{};
  std::array<int, 17> first_{};
  std::array<int, 17> last_{};
  std::array<int, 17> start_{};
  const std::vector<std::uint8_t>& values_;
};

}  // namespace

JpegHeader ReadJpegHeader(std::string_view stream, bool jpegLs) {
  if (BigEndian(stream, 0, 2) != 0xFFD8) DamagedStream("kein JPEG-Datenstrom");
  JpegHeader header;
  for (std::size_t at = 2;;) {
    if (BigEndian(stream, at, 1) != 0xFF) {
      DamagedStream("zwischen den Abschnitten des JPEG-Kopfs stehen fremde Bytes");
    }
    while (BigEndian(stream, at + 1, 1) == 0xFF) ++at;  // fill bytes
    const std::uint32_t marker = 0xFF00 | BigEndian(stream, at + 1, 1);
    if (marker == 0xFF00 || marker == 0xFFD8 || marker == 0xFFD9 || marker == 0xFF01 ||
        (marker >= 0xFFD0 && marker <= 0xFFD7)) {
      DamagedStream("der JPEG-Kopf ist unvollständig");
    }
    const std::uint32_t length = BigEndian(stream, at + 2, 2);
    if (length < 2 || at + 2 + length > stream.size()) {
      DamagedStream("ein Abschnitt des JPEG-Datenstroms ist ungültig");
    }
    const std::string_view segment = stream.substr(at + 4, length - 2);
    at += 2 + length;
    if (marker == StartOfScan) {
      if (header.frameMarker == 0) DamagedStream("der JPEG-Datenstrom hat keinen Bildkopf");
      if (BigEndian(segment, 0, 1) == 1) {
        header.scanDcTable = BigEndian(segment, 2, 1) >> 4;
        header.scanAcTable = BigEndian(segment, 2, 1) & 15;
      }
      header.scanData = at;
      return header;
    }
    if (marker == 0xFFE0 && segment.starts_with(std::string_view("JFIF\0", 5)) &&
        (segment.size() < 6 || BigEndian(segment, 5, 1) != 1)) {
      DamagedStream("der JFIF-Abschnitt des JPEG-Datenstroms ist ungültig");
    }
    if (marker == 0xFFEE && segment.starts_with("Adobe") &&
        (segment.size() < 12 || BigEndian(segment, 11, 1) > 2)) {
      DamagedStream("der Adobe-Abschnitt des JPEG-Datenstroms ist ungültig");
    }
    if (marker == 0xFFC4) readHuffmanTables(segment, header);
    if (marker == 0xFFDD) header.restartInterval = BigEndian(segment, 0, 2);
    if (isFrameMarker(marker, jpegLs)) readFrame(marker, segment, jpegLs, header);
  }
}

void CheckJpegScanComplete(std::string_view stream, const JpegHeader& header) {
  const bool lossless = header.frameMarker == 0xFFC3;
  const bool sequential = header.frameMarker == 0xFFC0 || header.frameMarker == 0xFFC1;
  if ((!lossless && !sequential) || header.components != 1) return;
  if (header.scanDcTable > 3 || header.scanAcTable > 3 || !header.dcDefined[header.scanDcTable] ||
      (sequential && !header.acDefined[header.scanAcTable])) {
    DamagedStream("dem JPEG-Datenstrom fehlt eine Huffman-Tabelle");
  }
  const HuffmanDecoder dc(header.dcTables[header.scanDcTable]);
  const HuffmanDecoder ac(header.acTables[header.scanAcTable]);
  // Lossless: one coded difference per sample; sequential: one 8 × 8 block per unit.
  const std::uint64_t unitsPerRow = lossless ? header.columns : (header.columns + 7) / 8;
  const std::uint64_t rowsOfUnits = lossless ? header.rows : (header.rows + 7) / 8;
  const std::uint64_t units = unitsPerRow * rowsOfUnits;
  CodedBits bits(stream, header.scanData);
  for (std::uint64_t unit = 0; unit < units; ++unit) {
    if (header.restartInterval != 0 && unit != 0 && unit % header.restartInterval == 0 &&
        !bits.restart(static_cast<unsigned>(unit / header.restartInterval - 1))) {
      DamagedStream("im JPEG-Datenstrom fehlt eine Restart-Marke");
    }
    const int size = dc.decode(bits);
    if (size < 0 || size > 16) DamagedStream("der JPEG-Datenstrom enthält einen ungültigen Code");
    if (size != 0 && size != 16) bits.skip(size);
    for (int k = 1; sequential && k < 64; ++k) {
      const int runAndSize = ac.decode(bits);
      if (runAndSize < 0) DamagedStream("der JPEG-Datenstrom enthält einen ungültigen Code");
      if ((runAndSize & 15) == 0) {
        if (runAndSize != 0xF0) break;  // end of block
        k += 15;
        continue;
      }
      k += runAndSize >> 4;
      bits.skip(runAndSize & 15);
    }
    if (bits.exhausted()) {
      const std::uint64_t rowsDone = unit / unitsPerRow * (lossless ? 1 : 8);
      throw imaging::ImageError(
          "Die Bilddaten sind unvollständig: der JPEG-Datenstrom endet nach " +
          std::to_string(rowsDone) + " von " + std::to_string(header.rows) + " Zeilen.");
    }
  }
}

}  // namespace decoder
