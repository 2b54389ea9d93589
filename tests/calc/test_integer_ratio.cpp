#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "calc/extended_ops.h"

namespace calc {
namespace {

Extended timesPowerOfTwo(Extended a, int k) {
  a.signExp = static_cast<std::uint16_t>(a.signExp + k);
  return a;
}

struct Result {
  Extended value;
  std::uint16_t flags;
};

Result ratio(std::uint16_t controlWord, bool negative, unsigned __int128 n, std::uint64_t d) {
  Fpu fpu(controlWord);
  const Extended value = integerRatio(fpu, negative, static_cast<std::uint64_t>(n >> 64),
                                      static_cast<std::uint64_t>(n), d);
  return {value, fpu.statusFlags()};
}

Result quotient(std::uint16_t controlWord, bool negative, std::int64_t a, std::int64_t d) {
  Fpu fpu(controlWord);
  const Extended value = divide(fpu, fromInt64(negative ? -a : a), fromInt64(d));
  return {value, fpu.statusFlags()};
}

// The single rounding of a 128-bit numerator is checked against the unit's division, whose
// rounding is verified against the processor: a numerator a * 2^k divides like a, and one of
// a * 2^k + 1 (quotient above 2^65, d odd and not dividing a, so a / d is neither exact nor a tie)
// still rounds like a / d; under directed rounding, an exact a / d plus that 1 must move one step.
TEST(IntegerRatio, RoundsA128BitNumeratorOnce) {
  std::mt19937_64 rng(20261207);
  const std::uint16_t modes[] = {0x133F, 0x173F, 0x1B3F, 0x1F3F};  // nearest, down, up, zero
  for (int i = 0; i < 200000; ++i) {
    const std::uint16_t mode = modes[i % 4];
    const bool negative = (i / 4) % 2 == 1;
    const std::int64_t a = static_cast<std::int64_t>(rng() >> (1 + rng() % 63)) | 1;
    const std::int64_t d = static_cast<std::int64_t>(rng() >> (1 + rng() % 63)) | 1;
    const int k = static_cast<int>(rng() % 65);
    const unsigned __int128 scaled = static_cast<unsigned __int128>(a) << k;

    const Result expected = quotient(mode, negative, a, d);
    const Result exact = ratio(mode, negative, scaled, static_cast<std::uint64_t>(d));
    ASSERT_EQ(exact.value, timesPowerOfTwo(expected.value, k)) << a << "*2^" << k << "/" << d;
    ASSERT_EQ(exact.flags, expected.flags);

    // With a quotient of at least 2^65 every rounding boundary m has an even m * d, while
    // a * 2^k + 1 is odd: the 1 cannot reach or cross a boundary.
    if (k == 0 || (scaled / static_cast<std::uint64_t>(d)) >> 65 == 0) continue;
    const Result nudged = ratio(mode, negative, scaled + 1, static_cast<std::uint64_t>(d));
    ASSERT_EQ(nudged.flags, FpuFlag::Precision);
    if (a % d != 0) {
      ASSERT_EQ(nudged.value, timesPowerOfTwo(expected.value, k));
    } else if (mode == 0x1B3F && !negative) {  // up, and the value grows away from the exact one
      ASSERT_EQ(nudged.value.sig,
                expected.value.sig + 1 == 0 ? IntegerBit : expected.value.sig + 1);
    }
  }
}

TEST(IntegerRatio, KnownValuesAndEdges) {
  const unsigned __int128 top = ~static_cast<unsigned __int128>(0);
  EXPECT_EQ(ratio(0x1332, false, 0, 7).value, Extended{});
  EXPECT_EQ(ratio(0x1332, true, 0, 7).value, Extended{});  // a zero mean is +0, never -0
  EXPECT_EQ(ratio(0x1332, false, static_cast<unsigned __int128>(1) << 64, 2).value,
            (Extended{IntegerBit, 0x3FFF + 63}));
  // 2^128 - 1 rounds up to 2^128 under round-to-nearest.
  EXPECT_EQ(ratio(0x1332, false, top, 1).value, (Extended{IntegerBit, 0x3FFF + 128}));
  EXPECT_EQ(ratio(0x133F, false, 5, 0).flags, FpuFlag::ZeroDivide);
  EXPECT_EQ(ratio(0x133F, false, 0, 0).flags, FpuFlag::Invalid);
}

}  // namespace
}  // namespace calc
