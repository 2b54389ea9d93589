#include <utility>

#include "extended_ops.h"
#include "operand.h"

namespace calc {

using namespace detail;

namespace {

// |a| + |b| with a.exp >= b.exp.
inline Unrounded addMagnitudes(Normalized a, Normalized b) {
  U128 sum = add128({a.sig, 0}, shiftRightJam128({b.sig, 0}, a.exp - b.exp));
  std::int32_t exp = a.exp;
  if (sum.hi < a.sig) {  // carried out of 64 bits
    sum = shiftRightJam128(sum, 1);
    sum.hi |= IntegerBit;
    ++exp;
  }
  return {a.sign, exp, sum.hi, sum.lo};
}

// |a| - |b| with |a| > |b|.
inline Unrounded subtractMagnitudes(Normalized a, Normalized b) {
  const std::int32_t shift = a.exp - b.exp;
  U128 diff = sub128({a.sig, 0}, shiftRightJam128({b.sig, 0}, shift));
  // From a shift of 2 on, at most one leading bit cancels; shifts of 0 and 1 are exact however
  // many do.
  const int leading = shift > 1      ? (diff.hi >> 63) == 0
                      : diff.hi != 0 ? std::countl_zero(diff.hi)
                                     : 64 + std::countl_zero(diff.lo);
  diff = shiftLeft128(diff, leading);
  return {a.sign, a.exp - leading, diff.hi, diff.lo};
}

// The sum of two finite non-zero operands. Forced inline: the special path calls it as well, and
// add and subtract should not pay a call on their common path.
[[gnu::always_inline]] inline Extended addNormalized(Fpu& fpu, std::uint16_t flags, Normalized a,
                                                     Normalized b) {
  // The larger magnitude goes first and gives the result its sign.
  if (a.exp < b.exp || (a.exp == b.exp && a.sig < b.sig)) std::swap(a, b);
  const bool subtraction = a.sign != b.sign;
  if (subtraction && a.exp == b.exp && a.sig == b.sig)
    return finish(fpu, flags, zero(fpu.roundingMode() == RoundingMode::Down));
  return roundAndFinish(fpu, flags, subtraction ? subtractMagnitudes(a, b) : addMagnitudes(a, b));
}

// Everything but two normal operands: NaNs, unsupported encodings, infinities, zeros and
// denormals. Kept out of line so that the common path reaches it as a tail call.
[[gnu::noinline]] Extended addSpecial(Fpu& fpu, Extended a, Extended b, bool negateB) {
  std::uint16_t flags = 0;
  if (isNaNOrUnsupported(a) || isNaNOrUnsupported(b)) {
    const Extended nan = propagateNaN(a, b, flags);
    return finish(fpu, flags, nan);
  }
  if (negateB) b = negate(b);
  const bool subtraction = a.sign() != b.sign();
  if (a.isInfinity() || b.isInfinity()) {
    if (a.isInfinity() && b.isInfinity() && subtraction)
      return finish(fpu, FpuFlag::Invalid, DefaultNaN);
    if (a.isDenormal() || b.isDenormal()) flags |= FpuFlag::Denormal;
    return finish(fpu, flags, a.isInfinity() ? a : b);
  }
  if (a.isDenormal() || b.isDenormal()) flags |= FpuFlag::Denormal;
  if (a.isZero() != b.isZero()) {
    const Normalized n = normalize(a.isZero() ? b : a);
    return roundAndFinish(fpu, flags, {n.sign, n.exp, n.sig, 0});
  }
  if (a.isZero()) {
    const bool sign = subtraction ? fpu.roundingMode() == RoundingMode::Down : a.sign();
    return finish(fpu, flags, zero(sign));
  }
  return addNormalized(fpu, flags, normalize(a), normalize(b));
}

}  // namespace

// Two normal operands need no special case and no normalizing shift.
Extended add(Fpu& fpu, Extended a, Extended b) {
  if (!isNormal(a) || !isNormal(b)) return addSpecial(fpu, a, b, false);
  return addNormalized(fpu, 0, normalize(a), normalize(b));
}
Extended subtract(Fpu& fpu, Extended a, Extended b) {
  if (!isNormal(a) || !isNormal(b)) return addSpecial(fpu, a, b, true);
  return addNormalized(fpu, 0, normalize(a), normalize(negate(b)));
}

}  // namespace calc
