#include <bit>
#include <cmath>

#include "extended_ops.h"
#include "operand.h"

namespace calc {

using namespace detail;

namespace {

struct RootAndRemainder {
  std::uint64_t root;
  U128 remainder;
};

// floor(sqrt(n)) and n - floor(sqrt(n))^2 for n = sig * 2^63 (even) or sig * 2^64 (odd), sig with
// its top bit set, so that the root lies in [2^63, 2^64).
//
// The double unit's square root of the top 53 bits of n gives r0 below the root by less than
// 2^13: the 11 bits left out move the root by less than 2^11, the double's rounding by 2^10, and
// r0 is lowered by 2^12 to stay below. One Newton step on the exact remainder n - r0^2, with its
// quotient taken in double, then misses root - r0 by less than 2^-36 (the step's own overshoot
// (root - r0)^2 / (2 r0), the divisor taken from the double, the remainder's dropped bits and
// the double's roundings). Nudged up by 2^-20, its whole part gives floor(sqrt(n)) or one more,
// and the exact remainder settles which.
RootAndRemainder integerSquareRoot(std::uint64_t sig, bool odd) {
  const U128 n = odd ? U128{sig, 0} : U128{sig >> 1, sig << 63};
  // x = (sig >> 11) * 2^(52 + odd), built from its bits: the top bit of sig >> 11 is the
  // implicit one and carries into the exponent field.
  const std::uint64_t top = sig >> 11;
  const double x = std::bit_cast<double>(((std::uint64_t{1126} + odd) << 52) + top);
  const double y = std::sqrt(x);   // in [2^52, 2^53]: the root estimate * 2^-11
  const double stepScale = 8 / y;  // 2^15 / (2 * y * 2^11), ready before the remainder is
  const std::uint64_t r0 = (static_cast<std::uint64_t>(static_cast<std::int64_t>(y)) - 2) << 11;

  // 0 < n - r0^2 < 2^13 * 2^65, so it fits 63 bits after dropping 15.
  const U128 rem0 = sub128(n, mul64To128(r0, r0));
  const auto scaled = static_cast<std::int64_t>((rem0.hi << 49) | (rem0.lo >> 15));
  // The nudge also lets an exact square, whose step is a whole number, land on its root.
  const auto step = static_cast<std::int64_t>(static_cast<double>(scaled) * stepScale + 0x1p-20);
  // At most floor(sqrt(n)) + 1 < 2^64: only the largest sig has floor(sqrt(n)) = 2^64 - 1, and
  // its root lies half way between two integers.
  const std::uint64_t root = r0 + static_cast<std::uint64_t>(step);

  const U128 square = mul64To128(root, root);
  if (!lessThan(n, square)) return {root, sub128(n, square)};
  // One above: n - (root - 1)^2 = n - root^2 + 2 root - 1.
  return {root - 1, add128(sub128(n, square), {root >> 63, (root << 1) - 1})};
}

// The root of a finite positive operand.
inline Extended squareRootNormalized(Fpu& fpu, std::uint16_t flags, Normalized a) {
  const std::int32_t e = a.exp - ExtendedBias;
  const auto [root, remainder] = integerSquareRoot(a.sig, (e & 1) != 0);
  // Never exactly half: (root + 1/2)^2 is not an integer.
  std::uint64_t extra = 0;
  if (remainder != U128{}) extra = lessThan(U128{0, root}, remainder) ? IntegerBit | 1 : 1;
  return roundAndFinish(fpu, flags, {false, (e >> 1) + ExtendedBias, root, extra});
}

// Everything but a positive normal operand; out of line, so that the common path reaches it as a
// tail call.
[[gnu::noinline]] Extended squareRootSpecial(Fpu& fpu, Extended a) {
  std::uint16_t flags = 0;
  if (isNaNOrUnsupported(a)) {
    const Extended nan = propagateNaN(a, flags);
    return finish(fpu, flags, nan);
  }
  if (a.isZero()) return a;
  if (a.sign()) return finish(fpu, FpuFlag::Invalid, DefaultNaN);
  if (a.isInfinity()) return a;
  if (a.isDenormal()) flags |= FpuFlag::Denormal;
  return squareRootNormalized(fpu, flags, normalize(a));
}

}  // namespace

Extended squareRoot(Fpu& fpu, Extended a) {
  if (!isNormal(a) || a.sign()) return squareRootSpecial(fpu, a);
  return squareRootNormalized(fpu, 0, normalize(a));
}

}  // namespace calc
