#include <cmath>

#include "extended_ops.h"
#include "operand.h"

namespace calc {

using namespace detail;

namespace {

// floor(sqrt(n)) for n < 2^128 by Newton's iteration from above; the hardware double square
// root only seeds it, and a seed that is not above the root is replaced, so the result is exact
// whatever the double unit does.
std::uint64_t integerSquareRoot(U128 n) {
  const double approx =
      std::sqrt(std::ldexp(static_cast<double>(n.hi), 64) + static_cast<double>(n.lo));
  std::uint64_t x = ~std::uint64_t{0};
  if (approx < 18446744073709486080.0) {  // below 2^64 - 2^16, so the margin cannot overflow
    const std::uint64_t seed = static_cast<std::uint64_t>(approx) + (std::uint64_t{1} << 15);
    if (!lessThan(mul64To128(seed, seed), n)) x = seed;
  }
  for (;;) {
    // x never falls below floor(sqrt(n)); n / x >= 2^64 > x means x^2 < n, so x is that floor.
    if (n.hi >= x) return x;
    const std::uint64_t q = div128By64(n, x).quotient;
    const std::uint64_t y = (x >> 1) + (q >> 1) + (x & q & 1);
    if (y >= x) return x;
    x = y;
  }
}

}  // namespace

Extended squareRoot(Fpu& fpu, Extended a) {
  std::uint16_t flags = 0;
  if (isNaNOrUnsupported(a)) {
    const Extended nan = propagateNaN(a, flags);
    return finish(fpu, flags, nan);
  }
  if (a.isZero()) return a;
  if (a.sign()) return finish(fpu, FpuFlag::Invalid, DefaultNaN);
  if (a.isInfinity()) return a;
  if (a.isDenormal()) flags |= FpuFlag::Denormal;

  const Normalized na = normalize(a);
  const std::int32_t e = na.exp - ExtendedBias;
  // sig * 2^63 (even e) or sig * 2^64 (odd e) has its square root in [2^63, 2^64).
  const U128 n = (e & 1) ? U128{na.sig, 0} : U128{na.sig >> 1, na.sig << 63};
  const std::uint64_t root = integerSquareRoot(n);
  const U128 remainder = sub128(n, mul64To128(root, root));
  // Never exactly half: (root + 1/2)^2 is not an integer.
  std::uint64_t extra = 0;
  if (remainder != U128{}) extra = lessThan(U128{0, root}, remainder) ? IntegerBit | 1 : 1;
  return roundAndFinish(fpu, flags, false, (e >> 1) + ExtendedBias, root, extra);
}

}  // namespace calc
