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

std::optional<ExactDecimal> ExactDecimal::RoundedMean(std::span<const ExactDecimal> values,
                                                      int places) {
  if (values.empty()) return std::nullopt;
  // Each value below 10^18 at scale 9: the sum of any count a record holds stays within 128 bits.
  __int128 sum = 0;
  for (const ExactDecimal& value : values)
    sum += value.digits_ * powerOfTen(MostPlaces - value.scale_);
  const __int128 numerator = sum * powerOfTen(places);
  const __int128 denominator = static_cast<__int128>(values.size()) * powerOfTen(MostPlaces);
  __int128 quotient = numerator / denominator;
  const __int128 twiceRest = 2 * (numerator % denominator);
  const __int128 twiceRestSize = twiceRest < 0 ? -twiceRest : twiceRest;
  if (twiceRestSize > denominator || (twiceRestSize == denominator && quotient % 2 != 0))
    quotient += numerator < 0 ? -1 : 1;
  // Written and read again: without needless zeros, and refused beyond nine digits.
  return Parse(ExactDecimal(quotient, places).text());
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
