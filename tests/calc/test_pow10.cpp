#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "calc/pow10.h"

namespace calc {
namespace {

// An exact unsigned integer in 32-bit limbs, little-endian: just enough to build 10^n.
class BigInteger {
 public:
  BigInteger() : limbs_{1} {}
  void multiplyBy10() {
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : limbs_) {
      const std::uint64_t product = std::uint64_t{limb} * 10 + carry;
      limb = static_cast<std::uint32_t>(product);
      carry = product >> 32;
    }
    if (carry) limbs_.push_back(static_cast<std::uint32_t>(carry));
  }
  int bitLength() const {
    return static_cast<int>(32 * limbs_.size()) - std::countl_zero(limbs_.back());
  }
  bool bit(int i) const { return i >= 0 && ((limbs_[i / 32] >> (i % 32)) & 1) != 0; }
  bool anyBitBelow(int i) const {
    for (int k = 0; k < i; ++k)
      if (bit(k)) return true;
    return false;
  }

  // The extended value nearest to this integer, ties to even.
  Extended nearestExtended() const {
    const int length = bitLength();
    std::uint64_t sig = 0;
    for (int i = 0; i < 64; ++i) sig = (sig << 1) | bit(length - 1 - i);
    int exponent = length - 1;
    const int cut = length - 64;
    if (cut > 0 && bit(cut - 1) && (anyBitBelow(cut - 1) || (sig & 1))) {
      if (++sig == 0) {
        sig = IntegerBit;
        ++exponent;
      }
    }
    return makeExtended(false, exponent + ExtendedBias, sig);
  }

 private:
  std::vector<std::uint32_t> limbs_;
};

TEST(PowersOfTen, EveryEntryIsTheNearestExtendedValue) {
  BigInteger power;
  for (int n = 0; n <= 4608; ++n, power.multiplyBy10()) {
    const Extended expected = power.nearestExtended();
    if (n < 32) {
      EXPECT_EQ(PowersOfTen[n], expected) << "10^" << n;
    }
    if (n % 32 == 0 && n / 32 < 16) {
      EXPECT_EQ(PowersOfTen32[n / 32], expected) << "10^" << n;
    }
    if (n % 512 == 0) {
      EXPECT_EQ(PowersOfTen512[n / 512], expected) << "10^" << n;
    }
  }
}

TEST(ScaleByPowerOfTen, ScalesInTheOrderOfTheThreeTables) {
  Fpu fpu;
  const Extended one = PowersOfTen[0];
  EXPECT_EQ(scaleByPowerOfTen(fpu, one, 0), one);
  EXPECT_EQ(scaleByPowerOfTen(fpu, one, 27), PowersOfTen[27]);
  EXPECT_EQ(scaleByPowerOfTen(fpu, one, 512), PowersOfTen512[1]);
  EXPECT_EQ(scaleByPowerOfTen(fpu, PowersOfTen512[1], -512), one);
  EXPECT_EQ(scaleByPowerOfTen(fpu, PowersOfTen[5], -5), one);
  EXPECT_EQ(scaleByPowerOfTen(fpu, PowersOfTen[5], -5120), Extended{});
  EXPECT_EQ(scaleByPowerOfTen(fpu, PowersOfTen[5], -5119).exponent(), 0);  // underflows to 0
  EXPECT_EQ(fpu.statusFlags() & FpuFlag::Overflow, 0);
}

}  // namespace
}  // namespace calc
