#include <utility>

#include "extended_ops.h"
#include "operand.h"

namespace calc {

using namespace detail;

namespace {

Extended addMagnitudes(Fpu& fpu, std::uint16_t flags, Normalized a, Normalized b) {
  if (a.exp < b.exp) std::swap(a, b);
  U128 sum = add128({a.sig, 0}, shiftRightJam128({b.sig, 0}, a.exp - b.exp));
  std::int32_t exp = a.exp;
  if (sum.hi < a.sig) {  // carried out of 64 bits
    sum = shiftRightJam128(sum, 1);
    sum.hi |= IntegerBit;
    ++exp;
  }
  return roundAndFinish(fpu, flags, a.sign, exp, sum.hi, sum.lo);
}

Extended subtractMagnitudes(Fpu& fpu, std::uint16_t flags, Normalized a, Normalized b) {
  // The larger magnitude goes first and gives the result its sign.
  if (a.exp < b.exp || (a.exp == b.exp && a.sig < b.sig)) std::swap(a, b);
  const std::int32_t shift = a.exp - b.exp;
  if (shift == 0) {  // exact: the difference fits 64 bits
    const std::uint64_t diff = a.sig - b.sig;
    if (diff == 0) return finish(fpu, flags, zero(fpu.roundingMode() == RoundingMode::Down));
    const int leading = std::countl_zero(diff);
    return roundAndFinish(fpu, flags, a.sign, a.exp - leading, diff << leading, 0);
  }
  U128 diff = sub128({a.sig, 0}, shiftRightJam128({b.sig, 0}, shift));
  // From a shift of 2 on, at most one leading bit cancels; a shift of 1 is exact however many do.
  const int leading = shift > 1      ? (diff.hi >> 63) == 0
                      : diff.hi != 0 ? std::countl_zero(diff.hi)
                                     : 64 + std::countl_zero(diff.lo);
  diff = shiftLeft128(diff, leading);
  return roundAndFinish(fpu, flags, a.sign, a.exp - leading, diff.hi, diff.lo);
}

// The sum of two finite non-zero operands; the sign decides between adding and subtracting.
Extended addNormalized(Fpu& fpu, std::uint16_t flags, Normalized a, Normalized b) {
  return a.sign != b.sign ? subtractMagnitudes(fpu, flags, a, b) : addMagnitudes(fpu, flags, a, b);
}

Extended addSigned(Fpu& fpu, Extended a, Extended b, bool negateB) {
  if (isNormal(a) && isNormal(b)) {
    return addNormalized(fpu, 0, normalize(a), normalize(negateB ? negate(b) : b));
  }
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
    return roundAndFinish(fpu, flags, n.sign, n.exp, n.sig, 0);
  }
  if (a.isZero()) {
    const bool sign = subtraction ? fpu.roundingMode() == RoundingMode::Down : a.sign();
    return finish(fpu, flags, zero(sign));
  }
  return addNormalized(fpu, flags, normalize(a), normalize(b));
}

}  // namespace

Extended add(Fpu& fpu, Extended a, Extended b) {
  return addSigned(fpu, a, b, false);
}
Extended subtract(Fpu& fpu, Extended a, Extended b) {
  return addSigned(fpu, a, b, true);
}

}  // namespace calc
