// Template body of roundPack; included by round_pack.h only.
#pragma once

#include "wide_int.h"

namespace calc::detail {

template <const Format& F>
Unpacked roundPack(const Fpu& fpu, bool sign, std::int32_t exp, std::uint64_t sig,
                   std::uint64_t extra, std::uint16_t& flags) {
  using namespace rounding;
  constexpr int drop = 64 - F.precision;
  const RoundingMode mode = fpu.roundingMode();

  if (exp < F.minExp) {
    bool tiny = true;
    if (exp == F.minExp - 1) {
      Truncated unbounded = truncate<F.precision>(mode, sign, sig, extra);
      tiny = !addCarries<F.precision>(unbounded.kept, unbounded.increment);
    }
    const U128 shifted = shiftRightJam128({sig, extra}, F.minExp - exp);
    Truncated t = truncate<F.precision>(mode, sign, shifted.hi, shifted.lo);
    addCarries<F.precision>(t.kept, t.increment);
    if (t.inexact) flags |= FpuFlag::Precision;
    const bool underflowMasked = (fpu.controlWord() & FpuFlag::Underflow) != 0;
    if (tiny && (t.inexact || !underflowMasked)) flags |= FpuFlag::Underflow;
    return {sign, F.minExp, t.kept << drop};
  }

  Truncated t = truncate<F.precision>(mode, sign, sig, extra);
  if (addCarries<F.precision>(t.kept, t.increment)) {
    t.kept = std::uint64_t{1} << (F.precision - 1);
    ++exp;
  }
  if (exp > F.maxExp) {
    flags |= FpuFlag::Overflow | FpuFlag::Precision;
    const bool toInfinity = mode == RoundingMode::ToNearest ||
                            (mode == RoundingMode::Up && !sign) ||
                            (mode == RoundingMode::Down && sign);
    if (toInfinity) return {sign, F.maxExp + 1, IntegerBit};
    return {sign, F.maxExp, ~std::uint64_t{0} << drop};
  }
  if (t.inexact) flags |= FpuFlag::Precision;
  return {sign, exp, t.kept << drop};
}

}  // namespace calc::detail
