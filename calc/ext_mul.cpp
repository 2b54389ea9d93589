#include "extended_ops.h"
#include "operand.h"

namespace calc {

using namespace detail;

namespace {

// The product of two finite non-zero operands.
inline Extended multiplyNormalized(Fpu& fpu, std::uint16_t flags, Normalized a, Normalized b) {
  U128 product = mul64To128(a.sig, b.sig);
  std::int32_t exp = a.exp + b.exp - ExtendedBias + 1;
  if ((product.hi & IntegerBit) == 0) {
    product = shiftLeft128(product, 1);
    --exp;
  }
  return roundAndFinish(fpu, flags, {a.sign != b.sign, exp, product.hi, product.lo});
}

// Everything but two normal operands; out of line, so that the common path reaches it as a tail
// call.
[[gnu::noinline]] Extended multiplySpecial(Fpu& fpu, Extended a, Extended b) {
  std::uint16_t flags = 0;
  if (isNaNOrUnsupported(a) || isNaNOrUnsupported(b)) {
    const Extended nan = propagateNaN(a, b, flags);
    return finish(fpu, flags, nan);
  }
  const bool sign = a.sign() != b.sign();
  if (a.isInfinity() || b.isInfinity()) {
    if (a.isZero() || b.isZero()) return finish(fpu, FpuFlag::Invalid, DefaultNaN);
    if (a.isDenormal() || b.isDenormal()) flags |= FpuFlag::Denormal;
    return finish(fpu, flags, infinity(sign));
  }
  if (a.isDenormal() || b.isDenormal()) flags |= FpuFlag::Denormal;
  if (a.isZero() || b.isZero()) return finish(fpu, flags, zero(sign));
  return multiplyNormalized(fpu, flags, normalize(a), normalize(b));
}

}  // namespace

// Two normal operands need no special case and no normalizing shift.
Extended multiply(Fpu& fpu, Extended a, Extended b) {
  if (!isNormal(a) || !isNormal(b)) return multiplySpecial(fpu, a, b);
  return multiplyNormalized(fpu, 0, normalize(a), normalize(b));
}

}  // namespace calc
