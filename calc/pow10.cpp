#include "pow10.h"

#include "extended_ops.h"

namespace calc {

Extended scaleByPowerOfTen(Fpu& fpu, Extended v, std::int32_t s) {
  if (s == 0) return v;
  if (s <= -5120) return Extended{};
  // Dividing by the power for negative s keeps a single rounding for short exact inputs,
  // where a rounded reciprocal would add a second.
  const auto step = s > 0 ? multiply : divide;
  const std::uint32_t a = s > 0 ? s : -s;
  v = step(fpu, v, PowersOfTen[a % 32]);
  if (const std::uint32_t j = (a / 32) % 16; j != 0) v = step(fpu, v, PowersOfTen32[j]);
  if (const std::uint32_t k = a / 512; k != 0) v = step(fpu, v, PowersOfTen512[k]);
  return v;
}

}  // namespace calc
