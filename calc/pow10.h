// Powers of ten shared by the number parser and formatter.
#pragma once

#include <array>
#include <cstdint>

#include "extended.h"
#include "fpu.h"

namespace calc {

// Each entry is the extended value nearest to the exact power (10^0 ... 10^27 are exact).
// PowersOfTen[n] = 10^n, n = 0 ... 31.
extern const std::array<Extended, 32> PowersOfTen;
// PowersOfTen32[j] = 10^(32 j), j = 0 ... 15.
extern const std::array<Extended, 16> PowersOfTen32;
// PowersOfTen512[k] = 10^(512 k), k = 0 ... 9.
extern const std::array<Extended, 10> PowersOfTen512;

// v scaled by 10^s: with a = |s|, multiplied (s > 0) or divided (s < 0) by 10^(a mod 32), then
// by 10^(32 (floor(a/32) mod 16)) and 10^(512 floor(a/512)) where these are not 1, each step
// rounded by the unit. s <= -5120 gives +0; s must not exceed 5119.
// Example: scaleByPowerOfTen(fpu, 125, -3) is the extended value nearest to 0.125 = 0.125.
Extended scaleByPowerOfTen(Fpu& fpu, Extended v, std::int32_t s);

}  // namespace calc
