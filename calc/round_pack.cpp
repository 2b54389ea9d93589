#include "round_pack.h"

#include "operand.h"
#include "wide_int.h"

namespace calc::detail {

template <const Format& F>
Unpacked roundPackAtRangeEdge(const Fpu& fpu, bool sign, std::int32_t exp, std::uint64_t sig,
                              std::uint64_t extra, std::uint16_t& flags) {
  using namespace rounding;
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
    return {sign, F.minExp, t.kept << (64 - F.precision)};
  }

  const Unpacked rounded = roundNormal<F>(mode, sign, exp, sig, extra, flags);
  if (rounded.exp <= F.maxExp) return rounded;
  flags |= FpuFlag::Overflow | FpuFlag::Precision;
  const bool toInfinity = mode == RoundingMode::ToNearest || (mode == RoundingMode::Up && !sign) ||
                          (mode == RoundingMode::Down && sign);
  if (toInfinity) return {sign, F.maxExp + 1, IntegerBit};
  return {sign, F.maxExp, ~std::uint64_t{0} << (64 - F.precision)};
}

template Unpacked roundPackAtRangeEdge<ExtendedFormat>(const Fpu&, bool, std::int32_t,
                                                       std::uint64_t, std::uint64_t,
                                                       std::uint16_t&);
template Unpacked roundPackAtRangeEdge<DoubleFormat>(const Fpu&, bool, std::int32_t, std::uint64_t,
                                                     std::uint64_t, std::uint16_t&);
template Unpacked roundPackAtRangeEdge<SingleFormat>(const Fpu&, bool, std::int32_t, std::uint64_t,
                                                     std::uint64_t, std::uint16_t&);

Extended roundAndFinishAtRangeEdge(Fpu& fpu, std::uint16_t flags, bool sign, std::int32_t exp,
                                   std::uint64_t sig, std::uint64_t extra) {
  const Unpacked rounded = roundPack<ExtendedFormat>(fpu, sign, exp, sig, extra, flags);
  return finish(fpu, flags, packExtended(rounded));
}

}  // namespace calc::detail
