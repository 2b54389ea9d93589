#include <climits>
#include <utility>

#include "extended_ops.h"
#include "operand.h"

namespace calc {

using namespace detail;

namespace {

// Orders magnitudes: zero lowest, infinity highest, finite values by normalized exponent and
// significand (so a pseudo-denormal compares by its value, not its encoding).
inline std::pair<std::int32_t, std::uint64_t> magnitudeKey(Extended x) {
  if (x.isZero()) return {INT_MIN, 0};
  if (x.isInfinity()) return {INT_MAX, 0};
  const Normalized n = normalize(x);
  return {n.exp, n.sig};
}

}  // namespace

Ordering compare(Fpu& fpu, Extended a, Extended b) {
  if (isNaNOrUnsupported(a) || isNaNOrUnsupported(b)) {
    fpu.signal(FpuFlag::Invalid);
    return Ordering::Unordered;
  }
  if (a.isDenormal() || b.isDenormal()) fpu.signal(FpuFlag::Denormal);
  if (a.isZero() && b.isZero()) return Ordering::Equal;
  if (a.sign() != b.sign()) return a.sign() ? Ordering::Less : Ordering::Greater;
  const auto keyA = magnitudeKey(a), keyB = magnitudeKey(b);
  if (keyA == keyB) return Ordering::Equal;
  return (keyA < keyB) != a.sign() ? Ordering::Less : Ordering::Greater;
}

}  // namespace calc
