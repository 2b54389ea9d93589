#include <array>

#include "extended_ops.h"
#include "format_settings.h"
#include "number_text.h"
#include "pow10.h"

namespace calc {

namespace {

constexpr std::int64_t TenToThe18 = 1'000'000'000'000'000'000;

// |x| ~ 0.d1...dn * 10^exponent.
struct DecimalForm {
  std::array<char, 18> digits;
  int count;
  std::int32_t exponent;
};

// The eighteen-digit form: scale by a power of ten estimated from the binary exponent
// (19728 / 65536 is just below log10 2), correcting an estimate that was one too low.
DecimalForm eighteenDigits(Fpu& fpu, Extended magnitude) {
  const std::int32_t binaryExponent = magnitude.exponent() - ExtendedBias;
  std::int32_t exponent = ((binaryExponent * 19728) >> 16) + 1;
  std::int64_t n = toInt64(fpu, scaleByPowerOfTen(fpu, magnitude, 18 - exponent));
  if (n >= TenToThe18) {
    n = toInt64(fpu, divide(fpu, fromInt64(n), PowersOfTen[1]));
    ++exponent;
  }
  DecimalForm form{{}, 18, exponent};
  for (int i = 17; i >= 0; --i, n /= 10) form.digits[i] = static_cast<char>('0' + n % 10);
  return form;
}

// Keeps fifteen digits, rounding up when the sixteenth is 5 or more, and drops trailing zeros.
void roundToFifteenDigits(DecimalForm& form) {
  form.count = 15;
  if (form.digits[15] >= '5') {
    int i = 14;
    while (i >= 0 && form.digits[i] == '9') form.digits[i--] = '0';
    if (i >= 0) {
      ++form.digits[i];
    } else {
      form.digits[0] = '1';
      form.count = 1;
      ++form.exponent;
    }
  }
  while (form.count > 1 && form.digits[form.count - 1] == '0') --form.count;
}

class TextBuffer {
 public:
  void put(char c) { buffer_[size_++] = c; }
  void put(const char* first, int count) {
    for (int i = 0; i < count; ++i) put(first[i]);
  }
  void putRepeated(char c, int count) {
    for (int i = 0; i < count; ++i) put(c);
  }
  void putDecimal(std::int32_t value) {
    char reversed[12];
    int n = 0;
    do {
      reversed[n++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value != 0);
    while (n > 0) put(reversed[--n]);
  }
  std::string text() const { return std::string(buffer_.data(), size_); }

 private:
  std::array<char, 64> buffer_{};
  std::size_t size_ = 0;
};

}  // namespace

std::string FormatNumberGeneral(Fpu& fpu, Extended value) {
  if (value.exponent() == 0) return "0";
  if (value.isInfinity()) return value.sign() ? "-INF" : "INF";
  if (value.isNaN() || value.isUnsupported()) return "NAN";

  DecimalForm form = eighteenDigits(fpu, absolute(value));
  roundToFifteenDigits(form);
  const char separator = decimalSeparator();
  const char* digits = form.digits.data();
  const int count = form.count;
  const std::int32_t e = form.exponent;

  TextBuffer out;
  if (value.sign()) out.put('-');
  if (e >= 1 && e <= 15) {
    if (count <= e) {
      out.put(digits, count);
      out.putRepeated('0', e - count);
    } else {
      out.put(digits, e);
      out.put(separator);
      out.put(digits + e, count - e);
    }
  } else if (e >= -3 && e <= 0) {
    out.put('0');
    out.put(separator);
    out.putRepeated('0', -e);
    out.put(digits, count);
  } else {
    out.put(digits[0]);
    if (count > 1) {
      out.put(separator);
      out.put(digits + 1, count - 1);
    }
    out.put('E');
    if (e - 1 < 0) out.put('-');
    out.putDecimal(e - 1 < 0 ? 1 - e : e - 1);
  }
  return out.text();
}

}  // namespace calc
