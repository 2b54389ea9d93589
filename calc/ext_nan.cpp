#include "operand.h"

namespace calc::detail {

namespace {

Extended quiet(Extended a) {
  a.sig |= QuietBit;
  return a;
}

}  // namespace

Extended propagateNaN(Extended a, Extended b, std::uint16_t& flags) {
  if (a.isUnsupported() || b.isUnsupported()) {
    flags |= FpuFlag::Invalid;
    return DefaultNaN;
  }
  if (a.isSignalingNaN() || b.isSignalingNaN()) flags |= FpuFlag::Invalid;
  if (!b.isNaN()) return quiet(a);
  if (!a.isNaN()) return quiet(b);
  // The raw significands decide, so a quiet NaN beats a signaling one; on a tie the positive wins.
  if (a.sig != b.sig) return quiet(a.sig > b.sig ? a : b);
  return quiet(a.sign() ? b : a);
}

Extended propagateNaN(Extended a, std::uint16_t& flags) {
  if (a.isUnsupported()) {
    flags |= FpuFlag::Invalid;
    return DefaultNaN;
  }
  if (a.isSignalingNaN()) flags |= FpuFlag::Invalid;
  return quiet(a);
}

}  // namespace calc::detail
