// A JPEG or JPEG-LS stream as far as the checks before decoding need it: its header read marker
// by marker up to the first scan, and for Huffman-coded JPEG a walk through the coded data that
// tells whether it codes every row the header declares (the decoder fills missing rows and
// says so only in a warning).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace decoder {

struct HuffmanTable {
  std::array<std::uint8_t, 17> counts{};  // codes of each length 1 to 16
  std::vector<std::uint8_t> values;
};

struct JpegHeader {
  std::uint32_t frameMarker = 0;  // SOFn (FFC0 ...) or JPEG-LS SOF55 (FFF7)
  unsigned precision = 0;
  unsigned rows = 0;
  unsigned columns = 0;
  unsigned components = 0;
  std::array<HuffmanTable, 4> dcTables;  // also the lossless process's tables
  std::array<HuffmanTable, 4> acTables;
  std::array<bool, 4> dcDefined{};
  std::array<bool, 4> acDefined{};
  unsigned restartInterval = 0;  // MCUs between restart markers; 0 without
  unsigned scanDcTable = 0;
  unsigned scanAcTable = 0;
  std::size_t scanData = 0;  // where the first scan's coded data starts
};

// Raises ImageError for what the library's JPEG decoder would only warn about while it reads the
// header (which it turns into the end of the process) and for a header without a frame or a scan.
JpegHeader ReadJpegHeader(std::string_view stream, bool jpegLs);

// For sequential DCT (baseline, extended) and lossless Huffman-coded streams of one component:
// raises ImageError when the coded data ends, or a restart marker is missing, before the last
// row. Other processes pass unwalked.
void CheckJpegScanComplete(std::string_view stream, const JpegHeader& header);

}  // namespace decoder
