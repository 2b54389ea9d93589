#include "exact_decimal.h"

#include <algorithm>
#include <cmath>

namespace record {
namespace {

// Nine significant digits and nine places at most: any product of two, brought to a common scale
// with another, stays within 128 bits.
constexpr int MostDigits = 9;
constexpr int MostPlaces = 9;

__int128 powerOfTen(int exponent) {
  __int128 power = 1;
  for (int i = 0; i < exponent; ++i) power *= 10;
  return power;
}

}  // namespace

std::optional<ExactDecimal> ExactDecimal::Parse(std::string_view text) {
  const bool negative = text.starts_with('-');
  if (negative || text.starts_with('+')) text.remove_prefix(1);
  __int128 digits = 0;
  int scale = 0, count = 0;
  bool point = false;
  for (const char c : text) {
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      digits = digits * 10 + (c - '0');
      scale += point;
      if ((digits != 0 && ++count > MostDigits) || scale > MostPlaces) return std::nullopt;
    } else {
      return std::nullopt;
    }
  }
  if (text.empty() || text == "." || text.ends_with('.')) return std::nullopt;
  return ExactDecimal(negative ? -digits : digits, scale);
}

std::string ExactDecimal::text() const {
  __int128 digits = digits_;
  int scale = scale_;
  while (scale > 0 && digits % 10 == 0) {
    digits /= 10;
    --scale;
  }
  const bool negative = digits < 0;
  std::string out;
  for (__int128 rest = negative ? -digits : digits; rest != 0 || out.size() <= std::size_t(scale);
       rest /= 10) {
    out.insert(out.begin(), static_cast<char>('0' + static_cast<int>(rest % 10)));
  }
  if (scale > 0) out.insert(out.end() - scale, '.');
  return negative ? '-' + out : out;
}

long double ExactDecimal::value() const {
  return static_cast<long double>(digits_) / std::pow(10.0L, scale_);
}

int SignOfSum(std::initializer_list<std::pair<ExactDecimal, ExactDecimal>> products) {
  // Every product at the largest scale among them: nine digits and nine places each keep each
  // term below 10^36 and four of them within 128 bits.
  int common = 0;
  for (const auto& [a, b] : products) common = std::max(common, a.scale_ + b.scale_);
  __int128 sum = 0;
  for (const auto& [a, b] : products) {
    sum += a.digits_ * b.digits_ * powerOfTen(common - a.scale_ - b.scale_);
  }
  return sum < 0 ? -1 : sum > 0 ? 1 : 0;
}

}  // namespace record
