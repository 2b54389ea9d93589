// Conversions between number text and extended values, and the rounding to an integer.
// Texts are 8-bit strings; the parser reads up to the end or the first character 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "extended.h"
#include "fpu.h"

namespace calc {

struct ParsedNumber {
  bool ok = false;
  Extended value;  // meaningful only when ok
};

// The one parser of number text: [spaces] [+|-] digits [sep digits] [(E|e) [+|-] digits] [spaces],
// with at least one digit or the separator before the exponent; spaces are character 32 only.
// The exponent reads digits while its value is below 500, so 0E4999 is 0 and 1E5000 fails.
// Digits accumulate as M = M*10 + digit, then M is scaled by 10^(exponent - fraction digits),
// every step rounded to extended under ParseFpuControlWord; an overflow makes the text fail,
// an underflow gives a denormal or 0. The unit's setting is restored and its pending flags are
// cleared on the way out; nothing raises.
// Examples: "  12.5 " -> 12.5; "." -> 0; "-." -> -0; "1E" -> 1; "1,5" fails; "\t1" fails;
// "1E4932" -> 10^4932; "1E4933" fails.
ParsedNumber ParseNumberText(Fpu& fpu, std::string_view text);

// ParseNumberText, raising EConvertError "'<text>' is not a valid floating point value" on
// failure, the whole text quoted as it is (bytes after a character 0 included).
Extended ParseNumberStrict(Fpu& fpu, std::string_view text);

// False (value untouched) when the text is not a number; otherwise rounds to single under the
// unit's setting, which raises EOverflow from 3.4028235678E38 upward; stores and returns true.
// Examples: "3.4028235E38" -> true; "1E39" raises EOverflow; "1E-50" -> true with 0.
bool CheckNumberSingle(Fpu& fpu, std::string_view text, float& value);

// General format with at most 15 significant digits: plain notation when the 15-digit rounding
// lies in [0.0001, 1E15), scientific otherwise, no trailing zeros, at most 23 characters.
// Zeros and denormals give "0", infinities "INF" / "-INF", NaNs and unsupported encodings "NAN".
// Examples: 2.5 -> "2.5"; 0.00001 -> "1E-5"; 1/3 -> "0.333333333333333"; 10^15 -> "1E15".
// Never raises.
std::string FormatNumberGeneral(Fpu& fpu, Extended value);

// Converts to a signed 64-bit integer under the unit's rounding (ties to even under the
// process setting): 2.5 -> 2, 3.5 -> 4, -2.5 -> -2. Raises EInvalidOp when it does not fit.
std::int64_t RoundHalfEven(Fpu& fpu, Extended value);

}  // namespace calc
