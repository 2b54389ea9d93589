// Seeded random operands, weighted towards the cases where an x87 model goes wrong: unusual
// encodings, rounding ties, carries out of the significand, cancellation and the edges of
// overflow and underflow.
#pragma once

#include <cstdint>
#include <random>

#include "calc/extended.h"
#include "operation.h"

namespace x87test {

class OperandGenerator {
 public:
  explicit OperandGenerator(std::uint64_t seed) : rng_(seed) {}

  // The operands of the next case for op.
  Operands next(Operation op);

  // Any encoding: every class of value, about 2% of them unsupported.
  calc::Extended anyExtended();

 private:
  std::uint64_t below(std::uint64_t n) { return rng_() % n; }
  int between(int low, int high) { return low + static_cast<int>(below(high - low + 1)); }
  bool coin() { return (rng_() & 1) != 0; }

  std::uint64_t significandPattern();
  std::uint64_t nearHalf(std::uint64_t sig, int discardedBits);
  // A significand whose low discardedBits sit at or beside the rounding boundary; sometimes
  // every kept bit is one so that rounding up carries out of the significand.
  std::uint64_t roundingCase(int discardedBits);
  calc::Extended finite(bool sign, int exponent, std::uint64_t sig);
  calc::Extended finiteNear(int exponent);

  Operands additionPair();
  Operands productPair(bool quotient);
  Operands comparisonPair();
  calc::Extended squareRootOperand();
  calc::Extended narrowingOperand(int significandBits, int minExponent, int maxExponent);
  calc::Extended integerOperand();
  std::uint64_t doubleBits();
  std::uint64_t int64Bits();

  std::mt19937_64 rng_;
};

}  // namespace x87test
