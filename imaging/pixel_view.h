// A read-only view of an image's stored values, as the statistics and the placement read them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace imaging {

// Row-major stored values in offset binary: a value u stands for the stored value u - offset,
// so signed and unsigned images share one unsigned form and every sum stays an exact integer.
struct PixelView {
  int width = 0;
  int height = 0;
  std::span<const std::uint16_t> values;  // width * height entries
  std::int32_t offset = 0;                // 2^(bits stored - 1) for signed images, else 0

  std::span<const std::uint16_t> row(int y) const {
    return values.subspan(static_cast<std::size_t>(y) * static_cast<std::size_t>(width),
                          static_cast<std::size_t>(width));
  }
};

// The highest value that bitsStored bits hold, in the offset-binary form (of a signed image too).
inline double HighestStoredValue(int bitsStored) {
  return static_cast<double>((std::uint32_t{1} << std::clamp(bitsStored, 1, 16)) - 1);
}

}  // namespace imaging
