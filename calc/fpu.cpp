#include "fpu.h"

#include "errors.h"

namespace calc {

void Fpu::raiseUnmasked(std::uint16_t flags) const {
  const std::uint16_t unmasked = flags & ~controlWord_;
  if (unmasked & FpuFlag::Invalid) throw EInvalidOp();
  if (unmasked & FpuFlag::ZeroDivide) throw EZeroDivide();
  if (unmasked & FpuFlag::Denormal) throw EUnderflow();
  if (unmasked & FpuFlag::Overflow) throw EOverflow();
  throw EUnderflow();
}

}  // namespace calc
