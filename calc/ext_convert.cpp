#include <bit>
#include <climits>

#include "extended_ops.h"
#include "operand.h"

namespace calc {

using namespace detail;

namespace {

// The layout of an IEEE interchange format the unit loads from or stores to.
template <typename Bits, int FractionBits, const Format& F>
struct Interchange {
  using Word = Bits;
  static constexpr int fractionBits = FractionBits;
  static constexpr int exponentBits = sizeof(Bits) * 8 - 1 - FractionBits;
  static constexpr Bits maxExponent = (Bits{1} << exponentBits) - 1;
  static constexpr Bits quietBit = Bits{1} << (FractionBits - 1);
  static constexpr Bits fractionMask = (Bits{1} << FractionBits) - 1;
  static constexpr int shift = 63 - FractionBits;  // extended fraction to interchange fraction
  static constexpr std::int32_t biasDifference = F.minExp - 1;
  static constexpr const Format& format = F;
};

using DoubleLayout = Interchange<std::uint64_t, 52, DoubleFormat>;
using SingleLayout = Interchange<std::uint32_t, 23, SingleFormat>;

template <typename L>
typename L::Word pack(bool sign, typename L::Word exponent, typename L::Word fraction) {
  using Word = typename L::Word;
  return (Word{sign} << (sizeof(Word) * 8 - 1)) | (exponent << L::fractionBits) | fraction;
}

// FST: rounds an extended value into the format.
template <typename L>
typename L::Word store(Fpu& fpu, Extended a) {
  using Word = typename L::Word;
  std::uint16_t flags = 0;
  Word bits;
  if (a.isUnsupported()) {
    flags = FpuFlag::Invalid;
    bits = pack<L>(true, L::maxExponent, L::quietBit);
  } else if (a.isNaN()) {
    if (a.isSignalingNaN()) flags = FpuFlag::Invalid;
    bits = pack<L>(a.sign(), L::maxExponent,
                   static_cast<Word>((a.sig & FractionMask) >> L::shift) | L::quietBit);
  } else if (a.isInfinity()) {
    bits = pack<L>(a.sign(), L::maxExponent, 0);
  } else if (a.isZero()) {
    bits = pack<L>(a.sign(), 0, 0);
  } else {
    const Normalized n = normalize(a);
    const Unpacked r = roundPack<L::format>(fpu, n.sign, n.exp, n.sig, 0, flags);
    if (r.exp > L::format.maxExp) {
      bits = pack<L>(r.sign, L::maxExponent, 0);
    } else {
      const Word exponent = (r.sig & IntegerBit) ? static_cast<Word>(r.exp - L::biasDifference) : 0;
      bits = pack<L>(r.sign, exponent, static_cast<Word>((r.sig & FractionMask) >> L::shift));
    }
  }
  fpu.signal(flags);
  return bits;
}

}  // namespace

Extended fromInt64(std::int64_t value) noexcept {
  if (value == 0) return zero(false);
  const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : value;
  const int shift = std::countl_zero(magnitude);
  return makeExtended(value < 0, ExtendedBias + 63 - shift, magnitude << shift);
}

Extended fromDouble(Fpu& fpu, double value) {
  using L = DoubleLayout;
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const bool sign = (bits >> 63) != 0;
  const auto exponent = static_cast<std::int32_t>((bits >> L::fractionBits) & L::maxExponent);
  const std::uint64_t fraction = bits & L::fractionMask;
  if (exponent == L::maxExponent) {
    if (fraction == 0) return infinity(sign);
    const std::uint16_t flags = (fraction & L::quietBit) ? 0 : FpuFlag::Invalid;
    return finish(fpu, flags,
                  makeExtended(sign, ExtendedSpecialExponent,
                               IntegerBit | QuietBit | (fraction << L::shift)));
  }
  if (exponent == 0) {
    if (fraction == 0) return zero(sign);
    const int shift = std::countl_zero(fraction);
    return finish(fpu, FpuFlag::Denormal,
                  makeExtended(sign, L::biasDifference + L::shift + 1 - shift, fraction << shift));
  }
  return makeExtended(sign, exponent + L::biasDifference, IntegerBit | (fraction << L::shift));
}

double toDouble(Fpu& fpu, Extended a) {
  return std::bit_cast<double>(store<DoubleLayout>(fpu, a));
}
float toSingle(Fpu& fpu, Extended a) {
  return std::bit_cast<float>(store<SingleLayout>(fpu, a));
}

std::int64_t toInt64(Fpu& fpu, Extended a) {
  if (isNaNOrUnsupported(a) || a.isInfinity()) {
    fpu.signal(FpuFlag::Invalid);
    return INT64_MIN;
  }
  if (a.isZero()) return 0;
  const Normalized n = normalize(a);
  const std::int32_t e = n.exp - ExtendedBias;
  if (e >= 63) {
    if (!(n.sign && e == 63 && n.sig == IntegerBit)) fpu.signal(FpuFlag::Invalid);
    return INT64_MIN;
  }
  // Integer part in hi, the fraction below it in lo.
  const U128 split = shiftRightJam128({n.sig, 0}, 63 - e);
  const bool roundBit = (split.lo >> 63) != 0, sticky = (split.lo << 1) != 0;
  const std::uint64_t magnitude =
      split.hi + rounding::incrementFor(fpu.roundingMode(), n.sign, split.hi & 1, roundBit, sticky);
  const std::uint64_t limit = n.sign ? IntegerBit : IntegerBit - 1;
  if (magnitude > limit) {
    fpu.signal(FpuFlag::Invalid);
    return INT64_MIN;
  }
  if (roundBit || sticky) fpu.signal(FpuFlag::Precision);
  return n.sign ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
}

}  // namespace calc
