// The one rounding routine of the software unit, shared by every operation and every
// destination format.
#pragma once

#include <cstdint>

#include "extended.h"
#include "fpu.h"

namespace calc::detail {

// A destination format, with its exponents in the extended bias.
struct Format {
  int precision;        // significand bits, integer bit included
  std::int32_t minExp;  // smallest normal exponent
  std::int32_t maxExp;  // largest finite exponent
};

inline constexpr Format ExtendedFormat{64, 1, 0x7FFE};
inline constexpr Format DoubleFormat{53, ExtendedBias - 1022, ExtendedBias + 1023};
inline constexpr Format SingleFormat{24, ExtendedBias - 126, ExtendedBias + 127};

// A rounded result: value = sig * 2^(exp - 16383 - 63), the significand left-aligned.
// Denormal results of the format have exp = minExp and the integer bit clear; zero has sig 0;
// an infinity has exp = maxExp + 1.
struct Unpacked {
  bool sign;
  std::int32_t exp;
  std::uint64_t sig;
};

namespace rounding {

// Whether to add one unit in the last kept place. The usual mode is tested first.
constexpr bool incrementFor(RoundingMode mode, bool sign, bool lsb, bool roundBit, bool sticky) {
  if (mode == RoundingMode::ToNearest) return roundBit && (sticky || lsb);
  if (mode == RoundingMode::TowardZero) return false;
  // Down rounds negative results away from zero, Up positive ones.
  return (roundBit || sticky) && sign == (mode == RoundingMode::Down);
}

struct Truncated {
  std::uint64_t kept;  // the significand's top `precision` bits, right-aligned
  bool increment;
  bool inexact;
};

template <int Precision>
constexpr Truncated truncate(RoundingMode mode, bool sign, std::uint64_t sig, std::uint64_t extra) {
  constexpr int drop = 64 - Precision;
  if constexpr (drop == 0) {
    const bool roundBit = (extra >> 63) != 0, sticky = (extra << 1) != 0;
    return {sig, incrementFor(mode, sign, sig & 1, roundBit, sticky), roundBit || sticky};
  } else {
    constexpr std::uint64_t half = std::uint64_t{1} << (drop - 1);
    const std::uint64_t low = sig & ((half << 1) - 1);
    const bool roundBit = (low & half) != 0, sticky = (low & (half - 1)) != 0 || extra != 0;
    const std::uint64_t kept = sig >> drop;
    return {kept, incrementFor(mode, sign, kept & 1, roundBit, sticky), roundBit || sticky};
  }
}

// kept + increment, and whether that carried out of the precision.
template <int Precision>
constexpr bool addCarries(std::uint64_t& kept, bool increment) {
  kept += increment;
  if constexpr (Precision == 64) {
    return increment && kept == 0;
  } else {
    return (kept >> Precision) != 0;
  }
}

}  // namespace rounding

// Rounds within the normal range, where nothing can underflow: one increment and its carry.
template <const Format& F>
inline Unpacked roundNormal(RoundingMode mode, bool sign, std::int32_t exp, std::uint64_t sig,
                            std::uint64_t extra, std::uint16_t& flags) {
  rounding::Truncated t = rounding::truncate<F.precision>(mode, sign, sig, extra);
  if (rounding::addCarries<F.precision>(t.kept, t.increment)) {
    t.kept = std::uint64_t{1} << (F.precision - 1);
    ++exp;
  }
  if (t.inexact) flags |= FpuFlag::Precision;
  return {sign, exp, t.kept << (64 - F.precision)};
}

// Whether a result with this exponent rounds within the normal range, where roundNormal does.
template <const Format& F>
constexpr bool roundsInNormalRange(std::int32_t exp) {
  return exp >= F.minExp && exp < F.maxExp;
}

// The results that may underflow or overflow; kept out of line, off the common path.
template <const Format& F>
Unpacked roundPackAtRangeEdge(const Fpu& fpu, bool sign, std::int32_t exp, std::uint64_t sig,
                              std::uint64_t extra, std::uint16_t& flags);

// Rounds value = (sig + extra / 2^64) * 2^(exp - 16383 - 63), sig with its top bit set, into the
// format under the unit's setting and ORs the conditions met into flags. Tininess is detected
// after rounding, as the x87 does: a result is tiny when rounding it to the precision with an
// unbounded exponent leaves it below the smallest normal.
template <const Format& F>
Unpacked roundPack(const Fpu& fpu, bool sign, std::int32_t exp, std::uint64_t sig,
                   std::uint64_t extra, std::uint16_t& flags) {
  if (roundsInNormalRange<F>(exp)) {
    return roundNormal<F>(fpu.roundingMode(), sign, exp, sig, extra, flags);
  }
  return roundPackAtRangeEdge<F>(fpu, sign, exp, sig, extra, flags);
}

}  // namespace calc::detail
