// Arithmetic of the software x87 unit. Every operation rounds as the processor does under the
// unit's setting (64-bit significand, its rounding mode, gradual underflow), records the
// processor's status flags in the unit and raises the error of an unmasked condition before
// returning. Operands with unsupported encodings (unnormals, pseudo-infinities, pseudo-NaNs)
// are invalid; pseudo-denormals count as denormals. NaN operands propagate as on the x87:
// a signaling NaN is quieted and flags an invalid operation, and of two NaNs the one with the
// larger significand before quieting wins (the positive one on a tie). Invalid operations give
// DefaultNaN.
#pragma once

#include <cstdint>

#include "extended.h"
#include "fpu.h"

namespace calc {

// a + b, a - b, a * b, a / b, as FADD/FSUB/FMUL/FDIV with a in ST(0) and b in ST(1).
// Example: add(1, 2^-64) under round-to-nearest is 1 (a tie goes to the even significand).
Extended add(Fpu& fpu, Extended a, Extended b);
Extended subtract(Fpu& fpu, Extended a, Extended b);
Extended multiply(Fpu& fpu, Extended a, Extended b);
Extended divide(Fpu& fpu, Extended a, Extended b);

// FSQRT: square root; sqrt(-0) is -0, a negative operand is invalid.
Extended squareRoot(Fpu& fpu, Extended a);

// FABS and FCHS: the sign bit alone, for every encoding, with no flags.
constexpr Extended absolute(Extended a) {
  a.signExp &= 0x7FFF;
  return a;
}
constexpr Extended negate(Extended a) {
  a.signExp ^= 0x8000;
  return a;
}

// FCOM: compares a with b; any NaN operand is unordered and an invalid operation.
enum class Ordering : std::uint8_t { Less, Equal, Greater, Unordered };
Ordering compare(Fpu& fpu, Extended a, Extended b);

// The exact quotient of two integers, rounded once: (numeratorHigh * 2^64 + numeratorLow) /
// denominator, negative when asked and the numerator is not 0. A denominator of 0 is a division
// by zero (0 / 0 is invalid). Example: integerRatio(fpu, false, 0, 1, 3) is 1/3 as divide()
// gives it, and integerRatio(fpu, false, 1, 0, 2) is exactly 2^63.
Extended integerRatio(Fpu& fpu, bool negative, std::uint64_t numeratorHigh,
                      std::uint64_t numeratorLow, std::uint64_t denominator);

// FILD: exact.
Extended fromInt64(std::int64_t value) noexcept;

// FLD of a double: exact; flags a denormal operand, quiets a signaling NaN (invalid).
Extended fromDouble(Fpu& fpu, double value);

// FST to double and to single: rounds under the unit's rounding mode; a magnitude beyond the
// format's largest finite value overflows, one below its normal range becomes a denormal or zero.
double toDouble(Fpu& fpu, Extended a);
float toSingle(Fpu& fpu, Extended a);

// FISTP to a signed 64-bit integer under the unit's rounding mode. Infinities, NaNs and results
// outside the range are invalid and give the integer indefinite, INT64_MIN.
std::int64_t toInt64(Fpu& fpu, Extended a);

}  // namespace calc
