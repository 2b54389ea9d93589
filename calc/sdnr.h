// The signal-difference-to-noise ratio of a test exposure.
#pragma once

#include <string>
#include <string_view>

#include "fpu.h"

namespace calc {

// SDNR = |mBG - mAl| / sqrt((sBG^2 + sAl^2) / 2) from the four field texts, rounded to
// hundredths with ties to even and formatted by FormatNumberGeneral; "NaN" when a text is not a
// number, a value does not fit a double, the quotient is undefined or does not fit, or the
// hundredths leave the 64-bit range. Never raises a calculation error.
// Examples: ("1000", "10", "1500", "20") -> "31.62"; ("0", "1", "0.125", "1") -> "0.12";
// ("100", "0", "200", "0") -> "NaN".
std::string SdnrResultText(Fpu& fpu, std::string_view mAl, std::string_view sAl,
                           std::string_view mBG, std::string_view sBG);

}  // namespace calc
