// The real x87 as reference. Each function starts from a freshly initialised unit under the
// given control word, runs one instruction on its operands and returns the stored result with
// the status flags it raised (status-word bits 0..5). Defined on x86 only.
#pragma once

#include <cstdint>

#include "calc/extended.h"
#include "calc/extended_ops.h"

namespace x87test {

#if defined(__x86_64__) || defined(__i386__)
inline constexpr bool HasX87 = true;
#else
inline constexpr bool HasX87 = false;
#endif

template <class T>
struct Hardware {
  T value{};
  std::uint16_t flags = 0;
};

namespace hw {

// ST(0) = a, ST(1) = b; the result is ST(0) op ST(1).
Hardware<calc::Extended> add(std::uint16_t cw, calc::Extended a, calc::Extended b);
Hardware<calc::Extended> subtract(std::uint16_t cw, calc::Extended a, calc::Extended b);
Hardware<calc::Extended> multiply(std::uint16_t cw, calc::Extended a, calc::Extended b);
Hardware<calc::Extended> divide(std::uint16_t cw, calc::Extended a, calc::Extended b);
Hardware<calc::Ordering> compare(std::uint16_t cw, calc::Extended a, calc::Extended b);

Hardware<calc::Extended> squareRoot(std::uint16_t cw, calc::Extended a);
Hardware<calc::Extended> absolute(std::uint16_t cw, calc::Extended a);
Hardware<calc::Extended> negate(std::uint16_t cw, calc::Extended a);

Hardware<calc::Extended> fromInt64(std::uint16_t cw, std::int64_t value);
// Doubles and singles travel as bit patterns so no copy can quiet a signaling NaN.
Hardware<calc::Extended> fromDouble(std::uint16_t cw, std::uint64_t doubleBits);
Hardware<std::uint64_t> toDouble(std::uint16_t cw, calc::Extended a);
Hardware<std::uint32_t> toSingle(std::uint16_t cw, calc::Extended a);
Hardware<std::int64_t> toInt64(std::uint16_t cw, calc::Extended a);

}  // namespace hw
}  // namespace x87test
