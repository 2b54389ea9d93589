// 128-bit unsigned helpers for significand arithmetic, portable with a fast path where the
// compiler has a native 128-bit type.
#pragma once

#include <bit>
#include <cstdint>

namespace calc::detail {

struct U128 {
  std::uint64_t hi = 0;
  std::uint64_t lo = 0;

  friend constexpr bool operator==(const U128&, const U128&) = default;
};

constexpr bool lessThan(U128 a, U128 b) {
  return a.hi < b.hi || (a.hi == b.hi && a.lo < b.lo);
}

constexpr U128 add128(U128 a, U128 b) {
  const std::uint64_t lo = a.lo + b.lo;
  return {a.hi + b.hi + (lo < a.lo), lo};
}

constexpr U128 sub128(U128 a, U128 b) {
  return {a.hi - b.hi - (a.lo < b.lo), a.lo - b.lo};
}

// Shift left by 0 <= n < 128.
constexpr U128 shiftLeft128(U128 a, int n) {
  if (n == 0) return a;
  if (n >= 64) return {a.lo << (n - 64), 0};
  return {(a.hi << n) | (a.lo >> (64 - n)), a.lo << n};
}

// Shift right by n >= 0, OR-ing every bit shifted out into bit 0 ("jamming"), so that rounding
// still sees whether anything below the kept bits was non-zero. A word moves across by 64 - n as
// a shift by 1 and one by 63 - n, so that n = 0 needs no branch around a shift count of 64.
constexpr U128 shiftRightJam128(U128 a, std::int32_t n) {
  if (n < 64) {
    const std::uint64_t lost = (a.lo << 1) << (63 - n);
    return {a.hi >> n, ((a.hi << 1) << (63 - n)) | (a.lo >> n) | (lost != 0)};
  }
  if (n >= 128) return {0, (a.hi | a.lo) != 0};
  const std::uint64_t lost = ((a.hi << 1) << (127 - n)) | a.lo;
  return {0, (a.hi >> (n - 64)) | (lost != 0)};
}

inline U128 mul64To128(std::uint64_t a, std::uint64_t b) {
#ifdef __SIZEOF_INT128__
  const unsigned __int128 p = static_cast<unsigned __int128>(a) * b;
  return {static_cast<std::uint64_t>(p >> 64), static_cast<std::uint64_t>(p)};
#else
  const std::uint64_t aLo = a & 0xFFFFFFFF, aHi = a >> 32, bLo = b & 0xFFFFFFFF, bHi = b >> 32;
  const std::uint64_t ll = aLo * bLo, lh = aLo * bHi, hl = aHi * bLo, hh = aHi * bHi;
  const std::uint64_t mid = (ll >> 32) + (lh & 0xFFFFFFFF) + (hl & 0xFFFFFFFF);
  return {hh + (lh >> 32) + (hl >> 32) + (mid >> 32), (mid << 32) | (ll & 0xFFFFFFFF)};
#endif
}

// Quotient and remainder of n / d; requires n.hi < d so that the quotient fits 64 bits.
struct QuotientRemainder {
  std::uint64_t quotient;
  std::uint64_t remainder;
};

inline QuotientRemainder div128By64(U128 n, std::uint64_t d) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  std::uint64_t q, r;
  __asm__("divq %4" : "=a"(q), "=d"(r) : "a"(n.lo), "d"(n.hi), "rm"(d) : "cc");
  return {q, r};
#elif defined(__SIZEOF_INT128__)
  const unsigned __int128 num = (static_cast<unsigned __int128>(n.hi) << 64) | n.lo;
  return {static_cast<std::uint64_t>(num / d), static_cast<std::uint64_t>(num % d)};
#else
  // Restoring division, one quotient bit per step.
  std::uint64_t q = 0, r = n.hi;
  for (int i = 63; i >= 0; --i) {
    const bool carry = (r >> 63) != 0;
    r = (r << 1) | ((n.lo >> i) & 1);
    q <<= 1;
    if (carry || r >= d) {
      r -= d;
      q |= 1;
    }
  }
  return {q, r};
#endif
}

}  // namespace calc::detail
