#include "operand_generator.h"

#include <algorithm>
#include <array>
#include <utility>

#include "calc/extended_ops.h"

namespace x87test {

using calc::Extended;
using calc::ExtendedBias;
using calc::ExtendedSpecialExponent;
using calc::FractionMask;
using calc::IntegerBit;
using calc::makeExtended;
using calc::QuietBit;

namespace {
constexpr std::uint64_t AllOnes = ~std::uint64_t{0};
}  // namespace

Operands OperandGenerator::next(Operation op) {
  if (takesTwoExtended(op) && below(32) == 0) {
    // x op x, x op -x and NaNs that differ only in sign or quiet bit: exact cancellation and
    // the tie rules of NaN propagation.
    const Extended a = anyExtended();
    Extended b = coin() ? calc::negate(a) : a;
    if (a.isNaN() && (a.sig & (QuietBit - 1)) != 0 && coin()) b.sig ^= QuietBit;
    return {a, b};
  }
  switch (op) {
    case Operation::Add:
    case Operation::Subtract:
      return additionPair();
    case Operation::Multiply:
      return productPair(false);
    case Operation::Divide:
      return productPair(true);
    case Operation::Compare:
      return comparisonPair();
    case Operation::SquareRoot:
      return {squareRootOperand(), {}};
    case Operation::Absolute:
    case Operation::Negate:
      return {anyExtended(), {}};
    case Operation::FromInt64:
      return {{}, {}, int64Bits()};
    case Operation::FromDouble:
      return {{}, {}, doubleBits()};
    case Operation::ToDouble:
      return {narrowingOperand(53, -1022, 1023), {}};
    case Operation::ToSingle:
      return {narrowingOperand(24, -126, 127), {}};
    case Operation::ToInt64:
      return {integerOperand(), {}};
  }
  return {};
}

Extended OperandGenerator::anyExtended() {
  const bool sign = coin();
  const std::uint64_t draw = below(1000);
  if (draw < 20) {
    const std::uint64_t fraction = significandPattern() & FractionMask;
    switch (below(3)) {
      case 0:
        return makeExtended(sign, between(1, 0x7FFE), fraction >> below(64));  // unnormal
      case 1:
        return makeExtended(sign, ExtendedSpecialExponent, 0);  // pseudo-infinity
      default:
        return makeExtended(sign, ExtendedSpecialExponent, fraction | 1);  // pseudo-NaN
    }
  }
  if (draw < 70) return makeExtended(sign, 0, 0);
  if (draw < 100) return makeExtended(sign, ExtendedSpecialExponent, IntegerBit);
  if (draw < 160) {
    const bool quiet = coin();
    std::uint64_t payload = significandPattern() & (QuietBit - 1);
    if (!quiet && payload == 0) payload = 1;
    return makeExtended(sign, ExtendedSpecialExponent,
                        IntegerBit | (quiet ? QuietBit : 0) | payload);
  }
  if (draw < 240) {
    const std::uint64_t sig = (significandPattern() & FractionMask) >> below(64);
    return makeExtended(sign, 0, sig == 0 ? 1 : sig);
  }
  if (draw < 260)
    return makeExtended(sign, 0, IntegerBit | significandPattern());  // pseudo-denormal
  return makeExtended(sign, between(1, 0x7FFE), IntegerBit | significandPattern());
}

std::uint64_t OperandGenerator::significandPattern() {
  switch (below(6)) {
    case 0: {
      // Alternating runs of ones and zeros: carries and borrows ripple through them.
      std::uint64_t sig = 0;
      bool ones = coin();
      for (int pos = 64; pos > 0; ones = !ones) {
        const int length = std::min(pos, between(1, 40));
        pos -= length;
        if (ones) sig |= (length == 64 ? AllOnes : (std::uint64_t{1} << length) - 1) << pos;
      }
      return sig;
    }
    case 1: {
      const auto lowZeros = below(64);  // few significant bits: exact products and sums
      return rng_() >> lowZeros << lowZeros;
    }
    case 2:
      return std::uint64_t{1} << below(64) | std::uint64_t{1} << below(64);  // sparse
    case 3:
      return nearHalf(rng_(), between(1, 64));
    default:
      return rng_();
  }
}

// Replaces the low discardedBits (clamped to 1..64) with a value at or beside one half of
// their weight, or at the ends of their range.
std::uint64_t OperandGenerator::nearHalf(std::uint64_t sig, int discardedBits) {
  const int n = std::clamp(discardedBits, 1, 64);
  const std::uint64_t mask = n == 64 ? AllOnes : (std::uint64_t{1} << n) - 1;
  const std::uint64_t half = std::uint64_t{1} << (n - 1);
  constexpr int Choices = 7;
  const std::array<std::uint64_t, Choices> tails{half, half, half - 1, half + 1, 0, mask, 1};
  return (sig & ~mask) | (tails[below(Choices)] & mask);
}

// sig with the integer bit set, scaled by 2^(exponent - bias); below the normal range it is
// shifted into a denormal (or zero), above it the exponent is clamped.
Extended OperandGenerator::finite(bool sign, int exponent, std::uint64_t sig) {
  sig |= IntegerBit;
  if (exponent >= 1) return makeExtended(sign, std::min(exponent, 0x7FFE), sig);
  const int shift = 1 - exponent;
  return makeExtended(sign, 0, shift >= 64 ? 0 : sig >> shift);
}

Extended OperandGenerator::finiteNear(int exponent) {
  return finite(coin(), exponent, significandPattern());
}

std::uint64_t OperandGenerator::roundingCase(int discardedBits) {
  return nearHalf(below(4) == 0 ? AllOnes : significandPattern(), discardedBits);
}

Operands OperandGenerator::additionPair() {
  switch (below(4)) {
    case 0:
      return {anyExtended(), anyExtended()};
    case 1: {
      // Alignment shifts from none to just past the significand.
      const int exponent = between(-64, 0x7FFE);
      const int delta = coin() ? between(-3, 3) : between(-67, 67);
      return {finiteNear(exponent), finiteNear(exponent + delta)};
    }
    case 2: {
      // Nearly equal magnitudes: massive cancellation under add or subtract.
      const Extended a = finiteNear(between(-64, 0x7FFE));
      Extended b = a;
      b.sig ^= rng_() >> between(1, 63);
      if (below(4) == 0) b = finite(b.sign(), b.exponent() + (coin() ? 1 : -1), b.sig);
      if (coin()) b = calc::negate(b);
      return {a, b};
    }
    default: {
      // Both at the top of the range (overflow) or at the bottom (denormal results).
      const bool top = coin();
      const auto edge = [&] { return top ? between(0x7FFC, 0x7FFE) : between(-66, 2); };
      return {finiteNear(edge()), finiteNear(edge())};
    }
  }
}

Operands OperandGenerator::productPair(bool quotient) {
  const int draw = static_cast<int>(below(4));
  if (draw == 0) return {anyExtended(), anyExtended()};
  std::uint64_t sa = significandPattern(), sb = significandPattern();
  if (coin()) {
    // A product or quotient just beside a power of two, so that rounding crosses into the next
    // binade: onto the smallest normal or past the largest finite value.
    if (quotient) {
      sb = (sa | IntegerBit) ^ (rng_() >> between(40, 63));
    } else {
      // (2 - 2^(s-63)) * (1 + 2^(j-63)) with j near s - 1 is 2 minus or plus a hair.
      const int s = between(1, 30);
      sa = AllOnes << s;
      sb = IntegerBit | std::uint64_t{1} << std::max(0, s - 1 + between(-1, 1));
    }
    if (coin()) std::swap(sa, sb);
  }
  if (draw == 1) {
    // Ordinary magnitudes: rounding and ties inside the normal range.
    return {finite(coin(), ExtendedBias + between(-70, 70), sa),
            finite(coin(), ExtendedBias + between(-70, 70), sb)};
  }
  // The result's exponent lands at the overflow edge or in the denormal range; operand
  // exponents reach 64 below the normal range so denormal operands take part.
  const int target = draw == 2 ? between(0x7FFD, 0x8000)
                     : coin()  ? between(-1, 1)
                               : between(-68, 2);
  const int low = -63, high = 0x7FFE;
  // product: ea + eb - bias = target; quotient: ea - eb + bias = target.
  const int offset = quotient ? ExtendedBias - target : target + ExtendedBias;
  const int ea = quotient ? between(std::max(low, low - offset), std::min(high, high - offset))
                          : between(std::max(low, offset - high), std::min(high, offset - low));
  const int eb = quotient ? ea + offset : offset - ea;
  return {finite(coin(), ea, sa), finite(coin(), eb, sb)};
}

Operands OperandGenerator::comparisonPair() {
  switch (below(3)) {
    case 0:
      return {anyExtended(), anyExtended()};
    case 1: {
      // Equal values, also as two encodings (pseudo-denormal and normal) or opposite zeros.
      const Extended a = anyExtended();
      Extended b = a;
      if (a.isDenormal() && a.hasIntegerBit()) b = makeExtended(a.sign(), 1, a.sig);
      if (coin()) b = calc::negate(b);
      return {a, b};
    }
    default:
      return additionPair();
  }
}

Extended OperandGenerator::squareRootOperand() {
  switch (below(3)) {
    case 0:
      return anyExtended();
    case 1: {
      // Exact squares: a 32-bit root squared, scaled by an even power of two.
      const std::uint64_t root = rng_() >> 32 | std::uint64_t{1} << 31;
      std::uint64_t square = root * root;
      int base = ExtendedBias + 63;
      if ((square & IntegerBit) == 0) {
        square <<= 1;
        base -= 1;
      }
      return makeExtended(false, base + 2 * between((1 - base) / 2, (0x7FFE - base) / 2), square);
    }
    default:
      return finite(false, between(-64, 0x7FFE), significandPattern());
  }
}

// For a target format with significandBits and normal unbiased exponents minExponent to
// maxExponent.
Extended OperandGenerator::narrowingOperand(int significandBits, int minExponent, int maxExponent) {
  const bool sign = coin();
  const int discarded = 64 - significandBits;
  switch (below(4)) {
    case 0:
      return anyExtended();
    case 1: {
      // The top of the range: rounding may overflow.
      const int exponent = between(maxExponent - 1, maxExponent + 1);
      return finite(sign, exponent + ExtendedBias, roundingCase(discarded));
    }
    case 2: {
      // The target's denormal range and just below it: fewer bits are kept.
      const int exponent = between(minExponent - significandBits - 1, minExponent);
      return finite(sign, exponent + ExtendedBias,
                    roundingCase(discarded + minExponent - exponent));
    }
    default: {
      const int exponent = between(minExponent, maxExponent);
      return finite(sign, exponent + ExtendedBias, roundingCase(discarded));
    }
  }
}

Extended OperandGenerator::integerOperand() {
  const bool sign = coin();
  switch (below(4)) {
    case 0:
      return anyExtended();
    case 1: {
      // n + 1/2 and its neighbours.
      const int exponent = between(-2, 62);
      return finite(sign, exponent + ExtendedBias, roundingCase(63 - exponent));
    }
    case 2: {
      // The ends of the int64 range, including exactly -2^63 and 2^63.
      const int exponent = between(61, 64);
      const std::uint64_t sig = coin() ? IntegerBit : roundingCase(63 - exponent);
      return finite(sign, exponent + ExtendedBias, sig);
    }
    default:
      return finiteNear(ExtendedBias + between(-70, 5));
  }
}

std::uint64_t OperandGenerator::doubleBits() {
  constexpr std::uint64_t Sign = std::uint64_t{1} << 63;
  constexpr std::uint64_t ExponentField = 0x7FF0000000000000;
  constexpr std::uint64_t Mantissa = (std::uint64_t{1} << 52) - 1;
  constexpr std::uint64_t Quiet = std::uint64_t{1} << 51;
  const std::uint64_t sign = coin() ? Sign : 0;
  switch (below(6)) {
    case 0:
      return sign | ((significandPattern() & Mantissa) >> below(52));  // denormal or zero
    case 1:
      return sign | (coin() ? 0 : ExponentField);  // zero or infinity
    case 2: {
      const bool quiet = coin();
      std::uint64_t payload = significandPattern() & (Quiet - 1);
      if (!quiet && payload == 0) payload = 1;
      return sign | ExponentField | (quiet ? Quiet : 0) | payload;
    }
    case 3:
      return sign | (below(0x7FE) + 1) << 52 | (significandPattern() & Mantissa);
    default:
      return rng_();
  }
}

std::uint64_t OperandGenerator::int64Bits() {
  switch (below(4)) {
    case 0: {
      const std::uint64_t magnitude = rng_() >> below(64);
      return coin() ? 0 - magnitude : magnitude;
    }
    case 1: {
      constexpr std::array<std::uint64_t, 6> edges{
          0x8000000000000000, 0x7FFFFFFFFFFFFFFF, 0, 1, AllOnes, 0x8000000000000001};
      return edges[below(edges.size())];
    }
    case 2: {
      // Powers of two and their neighbours.
      const std::uint64_t power = std::uint64_t{1} << below(64);
      return power + static_cast<std::uint64_t>(between(-1, 1));
    }
    default:
      return rng_();
  }
}

}  // namespace x87test
