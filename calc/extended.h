// Bit view of the x87 80-bit extended format.
#pragma once

#include <cstdint>

namespace calc {

inline constexpr int ExtendedBias = 16383;
inline constexpr std::uint16_t ExtendedSpecialExponent = 0x7FFF;
inline constexpr std::uint64_t IntegerBit = std::uint64_t{1} << 63;
inline constexpr std::uint64_t QuietBit = std::uint64_t{1} << 62;
inline constexpr std::uint64_t FractionMask = IntegerBit - 1;

// One extended value as the processor stores it: sign and 15-bit biased exponent in signExp,
// 64-bit significand with its explicit integer bit in sig. The member order matches the
// little-endian 10-byte memory image.
struct Extended {
  std::uint64_t sig = 0;
  std::uint16_t signExp = 0;

  friend constexpr bool operator==(const Extended&, const Extended&) = default;

  constexpr bool sign() const { return (signExp >> 15) != 0; }
  constexpr int exponent() const { return signExp & 0x7FFF; }
  constexpr bool hasIntegerBit() const { return (sig & IntegerBit) != 0; }

  constexpr bool isZero() const { return exponent() == 0 && sig == 0; }
  // Denormals and pseudo-denormals: the processor reads both with exponent 1.
  constexpr bool isDenormal() const { return exponent() == 0 && sig != 0; }
  constexpr bool isInfinity() const {
    return exponent() == ExtendedSpecialExponent && sig == IntegerBit;
  }
  constexpr bool isNaN() const {
    return exponent() == ExtendedSpecialExponent && hasIntegerBit() && (sig & FractionMask) != 0;
  }
  constexpr bool isSignalingNaN() const { return isNaN() && (sig & QuietBit) == 0; }
  // Unnormals, pseudo-infinities and pseudo-NaNs: encodings the processor refuses as operands.
  constexpr bool isUnsupported() const { return exponent() != 0 && !hasIntegerBit(); }
};

constexpr Extended makeExtended(bool sign, int exponent, std::uint64_t sig) {
  return Extended{sig, static_cast<std::uint16_t>((sign ? 0x8000 : 0) | (exponent & 0x7FFF))};
}

// The processor's answer to an invalid operation: the negative quiet "real indefinite".
inline constexpr Extended DefaultNaN =
    makeExtended(true, ExtendedSpecialExponent, IntegerBit | QuietBit);

}  // namespace calc
