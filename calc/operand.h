// Shared steps of the arithmetic operations: unpacking, NaN propagation and packing.
#pragma once

#include <bit>
#include <cstdint>

#include "extended.h"
#include "round_pack.h"
#include "wide_int.h"

namespace calc::detail {

// A finite non-zero operand with its significand normalized: value = sig * 2^(exp - 16383 - 63).
// Denormals read with exponent 1, so normalizing them gives exp below 1.
struct Normalized {
  bool sign;
  std::int32_t exp;
  std::uint64_t sig;
};

constexpr Normalized normalize(Extended a) {
  const std::int32_t exp = a.exponent() == 0 ? 1 : a.exponent();
  if (a.hasIntegerBit()) return {a.sign(), exp, a.sig};  // after an isNormal check this is all
  const int shift = std::countl_zero(a.sig);
  return {a.sign(), exp - shift, a.sig << shift};
}

// The result of an operation that has a NaN or an unsupported operand, and the conditions it
// raises; callers check isNaNOrUnsupported first. Unsupported encodings give DefaultNaN; of
// two NaNs the larger significand wins; a signaling NaN is quieted and flags invalid.
Extended propagateNaN(Extended a, Extended b, std::uint16_t& flags);
Extended propagateNaN(Extended a, std::uint16_t& flags);

// A finite non-zero value in its canonical encoding: no special case applies to it.
constexpr bool isNormal(Extended a) {
  return static_cast<unsigned>(a.exponent() - 1) < 0x7FFE && a.hasIntegerBit();
}

constexpr bool isNaNOrUnsupported(Extended a) {
  return a.isNaN() || a.isUnsupported();
}

constexpr Extended packExtended(Unpacked r) {
  if (r.exp > ExtendedFormat.maxExp)
    return makeExtended(r.sign, ExtendedSpecialExponent, IntegerBit);
  return makeExtended(r.sign, (r.sig & IntegerBit) ? r.exp : 0, r.sig);
}

constexpr Extended infinity(bool sign) {
  return makeExtended(sign, ExtendedSpecialExponent, IntegerBit);
}
constexpr Extended zero(bool sign) {
  return makeExtended(sign, 0, 0);
}

// Records the conditions in the unit (raising for unmasked ones) and hands back the result.
inline Extended finish(Fpu& fpu, std::uint16_t flags, Extended result) {
  fpu.signal(flags);
  return result;
}

// An exact finite result before rounding: value = (sig + extra / 2^64) * 2^(exp - 16383 - 63),
// sig with its top bit set.
struct Unrounded {
  bool sign;
  std::int32_t exp;
  std::uint64_t sig;
  std::uint64_t extra;
};

// roundAndFinish for results that may underflow or overflow; out of line, off the common path.
Extended roundAndFinishAtRangeEdge(Fpu& fpu, std::uint16_t flags, bool sign, std::int32_t exp,
                                   std::uint64_t sig, std::uint64_t extra);

// Rounds a finite result to extended, then records the conditions met before and by the rounding.
inline Extended roundAndFinish(Fpu& fpu, std::uint16_t flags, Unrounded r) {
  if (!roundsInNormalRange<ExtendedFormat>(r.exp))
    return roundAndFinishAtRangeEdge(fpu, flags, r.sign, r.exp, r.sig, r.extra);
  // Inside the normal range the rounded significand keeps its integer bit: a normal encoding.
  const Unpacked rounded =
      roundNormal<ExtendedFormat>(fpu.roundingMode(), r.sign, r.exp, r.sig, r.extra, flags);
  return finish(fpu, flags, makeExtended(r.sign, rounded.exp, rounded.sig));
}

}  // namespace calc::detail
