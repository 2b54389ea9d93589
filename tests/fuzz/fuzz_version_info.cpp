// Feeds arbitrary bytes to the version record search as a file's contents.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "toolkit/version_record.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// A record found is one the bytes hold: the magic followed by the numbers in either byte order.
bool holdsRecord(std::span<const std::byte> file, const toolkit::VersionNumbers& numbers) {
  std::vector<std::byte> little, big;
  for (const char c : toolkit::VersionRecordMagic) {
    little.push_back(std::byte(c));
    big.push_back(std::byte(c));
  }
  for (const std::uint16_t number : numbers) {
    const std::byte high{static_cast<unsigned char>(number >> 8)};
    const std::byte low{static_cast<unsigned char>(number & 0xFF)};
    little.insert(little.end(), {low, high});
    big.insert(big.end(), {high, low});
  }
  return std::search(file.begin(), file.end(), little.begin(), little.end()) != file.end() ||
         std::search(file.begin(), file.end(), big.begin(), big.end()) != file.end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::byte> file(reinterpret_cast<const std::byte*>(data), size);
  const auto found = toolkit::FindVersionRecord(file);
  require(found == toolkit::FindVersionRecord(file));
  if (found) require(holdsRecord(file, *found));
  return 0;
}
