#include "extended_ops.h"
#include "operand.h"

namespace calc {

using namespace detail;

Extended multiply(Fpu& fpu, Extended a, Extended b) {
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

  const Normalized na = normalize(a), nb = normalize(b);
  U128 product = mul64To128(na.sig, nb.sig);
  std::int32_t exp = na.exp + nb.exp - ExtendedBias + 1;
  if ((product.hi & IntegerBit) == 0) {
    product = shiftLeft128(product, 1);
    --exp;
  }
  return roundAndFinish(fpu, flags, sign, exp, product.hi, product.lo);
}

}  // namespace calc
