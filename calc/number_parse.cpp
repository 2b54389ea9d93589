#include <algorithm>

#include "errors.h"
#include "extended_ops.h"
#include "format_settings.h"
#include "number_text.h"
#include "pow10.h"

namespace calc {

namespace {

// Reads a text left to right; every method consumes what it accepts.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}

  bool atEnd() const { return pos_ == text_.size(); }
  bool accept(char c) {
    if (atEnd() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  bool acceptEither(char a, char b) { return accept(a) || accept(b); }
  void skipSpaces() {
    while (accept(' ')) {
    }
  }
  int digit() const {
    if (atEnd() || text_[pos_] < '0' || text_[pos_] > '9') return -1;
    return text_[pos_] - '0';
  }
  void advance() { ++pos_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// M = M * 10 + digit for each digit; returns how many were read.
std::int64_t accumulateDigits(Fpu& fpu, Scanner& in, Extended& m) {
  std::int64_t count = 0;
  for (int d; (d = in.digit()) >= 0; in.advance(), ++count) {
    m = add(fpu, multiply(fpu, m, PowersOfTen[1]), fromInt64(d));
  }
  return count;
}

// Exponent digits are read while the value is below 500, which caps it at 4999.
std::int64_t readExponent(Scanner& in) {
  const bool negative = in.accept('-');
  if (!negative) in.accept('+');
  std::int64_t value = 0;
  for (int d; value < 500 && (d = in.digit()) >= 0; in.advance()) value = value * 10 + d;
  return negative ? -value : value;
}

}  // namespace

ParsedNumber ParseNumberText(Fpu& fpu, std::string_view text) {
  FpuSettingScope parseSetting(fpu, ParseFpuControlWord);
  Scanner in(text);
  in.skipSpaces();
  const bool negative = in.accept('-');
  if (!negative) in.accept('+');

  Extended m{};
  const bool hasIntegerDigits = accumulateDigits(fpu, in, m) > 0;
  const bool hasSeparator = in.accept(decimalSeparator());
  const std::int64_t fractionDigits = hasSeparator ? accumulateDigits(fpu, in, m) : 0;
  if (!hasIntegerDigits && !hasSeparator) return {};

  const std::int64_t exponent = in.acceptEither('E', 'e') ? readExponent(in) : 0;
  in.skipSpaces();
  if (!in.atEnd()) return {};

  const std::int64_t scale = std::max<std::int64_t>(exponent - fractionDigits, -5120);
  Extended v = scaleByPowerOfTen(fpu, m, static_cast<std::int32_t>(scale));
  if (negative) v = negate(v);
  if (fpu.statusFlags() & FpuFlag::Overflow) return {};
  return {true, v};
}

Extended ParseNumberStrict(Fpu& fpu, std::string_view text) {
  const ParsedNumber parsed = ParseNumberText(fpu, text);
  if (!parsed.ok) {
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
  }
  return parsed.value;
}

bool CheckNumberSingle(Fpu& fpu, std::string_view text, float& value) {
  const ParsedNumber parsed = ParseNumberText(fpu, text);
  if (!parsed.ok) return false;
  value = toSingle(fpu, parsed.value);
  return true;
}

std::int64_t RoundHalfEven(Fpu& fpu, Extended value) {
  return toInt64(fpu, value);
}

}  // namespace calc
