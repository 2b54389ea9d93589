#include <bit>

#include "extended_ops.h"
#include "operand.h"

namespace calc {

using namespace detail;

Extended integerRatio(Fpu& fpu, bool negative, std::uint64_t numeratorHigh,
                      std::uint64_t numeratorLow, std::uint64_t denominator) {
  const U128 numerator{numeratorHigh, numeratorLow};
  const bool isZero = numerator == U128{};
  if (denominator == 0) {
    return isZero ? finish(fpu, FpuFlag::Invalid, DefaultNaN)
                  : finish(fpu, FpuFlag::ZeroDivide, infinity(negative));
  }
  if (isZero) return zero(false);

  // Both normalized: n in [2^127, 2^128), d in [2^63, 2^64), so n / d in [2^63, 2^65).
  const int numeratorShift =
      numeratorHigh != 0 ? std::countl_zero(numeratorHigh) : 64 + std::countl_zero(numeratorLow);
  const int denominatorShift = std::countl_zero(denominator);
  const U128 n = shiftLeft128(numerator, numeratorShift);
  const std::uint64_t d = denominator << denominatorShift;
  std::int32_t exp = denominatorShift - numeratorShift + ExtendedBias + 63;

  // Long division in two 64-bit digits; the first is 0 or 1.
  const bool highDigit = n.hi >= d;
  const auto [low, r] = div128By64({highDigit ? n.hi - d : n.hi, n.lo}, d);
  if (highDigit) {
    // 65 quotient bits: the lowest becomes the round bit, the remainder the sticky bit.
    const std::uint64_t extra = ((low & 1) ? IntegerBit : 0) | (r != 0);
    return roundAndFinish(fpu, 0, {negative, exp + 1, IntegerBit | (low >> 1), extra});
  }
  std::uint64_t extra = 0;
  if (r != 0) {
    const std::uint64_t rest = d - r;  // 2r vs divisor without overflowing
    extra = r > rest ? IntegerBit | 1 : r == rest ? IntegerBit : 1;
  }
  return roundAndFinish(fpu, 0, {negative, exp, low, extra});
}

}  // namespace calc
