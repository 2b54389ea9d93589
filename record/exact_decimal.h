// Decimal numbers as written ("5.23", "-0.5", "20"), kept exactly, so that a verdict at the edge
// of a tolerance never depends on binary rounding.
#pragma once

#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace record {

class ExactDecimal {
 public:
  // A number of at most 9 significant digits and 9 places, with an optional sign and point;
  // nullopt for anything else (a comma, an exponent, "NaN").
  static std::optional<ExactDecimal> Parse(std::string_view text);

  // The value without needless zeros: "45.0" is "45", "-0.50" is "-0.5".
  std::string text() const;
  long double value() const;

  ExactDecimal negated() const { return {-digits_, scale_}; }

  // The mean of the values rounded to places (at most 9), ties to even; nullopt for no values
  // and for a mean of more than 9 significant digits.
  // Example: "5.21", "5.24", "5.30" at 2 places give "5.25"; "0.125", "0.135" give "0.13".
  static std::optional<ExactDecimal> RoundedMean(std::span<const ExactDecimal> values, int places);

  friend int SignOfSum(std::initializer_list<std::pair<ExactDecimal, ExactDecimal>> products);

 private:
  ExactDecimal(__int128 digits, int scale) : digits_(digits), scale_(scale) {}

  __int128 digits_ = 0;  // the value is digits × 10^-scale
  int scale_ = 0;
};

// The sign of the sum of the products (up to four), exactly: -1, 0 or 1.
int SignOfSum(std::initializer_list<std::pair<ExactDecimal, ExactDecimal>> products);

}  // namespace record
