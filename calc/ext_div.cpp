#include "extended_ops.h"
#include "operand.h"

namespace calc {

using namespace detail;

namespace {

// The quotient of two finite non-zero operands.
inline Extended divideNormalized(Fpu& fpu, std::uint16_t flags, Normalized a, Normalized b) {
  std::int32_t exp = a.exp - b.exp + ExtendedBias;
  // Numerator a.sig * 2^63 or * 2^64, whichever gives a 64-bit quotient with its top bit set.
  U128 numerator{a.sig >> 1, a.sig << 63};
  if (a.sig < b.sig) {
    numerator = {a.sig, 0};
    --exp;
  }
  const auto [q, r] = div128By64(numerator, b.sig);
  // The bits below the quotient, from the remainder: exactly half when 2r == divisor.
  std::uint64_t extra = 0;
  if (r != 0) {
    const std::uint64_t rest = b.sig - r;  // 2r vs divisor without overflowing
    extra = r > rest ? IntegerBit | 1 : r == rest ? IntegerBit : 1;
  }
  return roundAndFinish(fpu, flags, {a.sign != b.sign, exp, q, extra});
}

// Everything but two normal operands; out of line, so that the common path reaches it as a tail
// call.
[[gnu::noinline]] Extended divideSpecial(Fpu& fpu, Extended a, Extended b) {
  std::uint16_t flags = 0;
  if (isNaNOrUnsupported(a) || isNaNOrUnsupported(b)) {
    const Extended nan = propagateNaN(a, b, flags);
    return finish(fpu, flags, nan);
  }
  const bool sign = a.sign() != b.sign();
  if (a.isInfinity()) {
    if (b.isInfinity()) return finish(fpu, FpuFlag::Invalid, DefaultNaN);
    if (b.isDenormal()) flags |= FpuFlag::Denormal;
    return finish(fpu, flags, infinity(sign));
  }
  if (b.isInfinity()) {
    if (a.isDenormal()) flags |= FpuFlag::Denormal;
    return finish(fpu, flags, zero(sign));
  }
  if (b.isZero()) {
    if (a.isZero()) return finish(fpu, FpuFlag::Invalid, DefaultNaN);
    return finish(fpu, FpuFlag::ZeroDivide, infinity(sign));
  }
  if (a.isDenormal() || b.isDenormal()) flags |= FpuFlag::Denormal;
  if (a.isZero()) return finish(fpu, flags, zero(sign));
  return divideNormalized(fpu, flags, normalize(a), normalize(b));
}

}  // namespace

// Two normal operands need no special case and no normalizing shift.
Extended divide(Fpu& fpu, Extended a, Extended b) {
  if (!isNormal(a) || !isNormal(b)) return divideSpecial(fpu, a, b);
  return divideNormalized(fpu, 0, normalize(a), normalize(b));
}

}  // namespace calc
