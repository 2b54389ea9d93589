#include "sdnr.h"

#include "errors.h"
#include "extended_ops.h"
#include "number_text.h"
#include "pow10.h"

namespace calc {

namespace {

// A field's value is held as a double: converting stores it, and reading loads it back.
Extended fieldValue(Fpu& fpu, std::string_view text) {
  return fromDouble(fpu, toDouble(fpu, ParseNumberStrict(fpu, text)));
}

}  // namespace

std::string SdnrResultText(Fpu& fpu, std::string_view mAl, std::string_view sAl,
                           std::string_view mBG, std::string_view sBG) {
  try {
    const Extended greyAl = fieldValue(fpu, mAl);
    const Extended stdAl = fieldValue(fpu, sAl);
    const Extended greyBg = fieldValue(fpu, mBG);
    const Extended stdBg = fieldValue(fpu, sBG);
    const Extended two = fromInt64(2), hundred = PowersOfTen[2];

    const Extended difference = absolute(subtract(fpu, greyBg, greyAl));
    const Extended variance =
        divide(fpu, add(fpu, multiply(fpu, stdBg, stdBg), multiply(fpu, stdAl, stdAl)), two);
    const Extended noise = squareRoot(fpu, variance);
    const double quotient = toDouble(fpu, divide(fpu, difference, noise));
    const std::int64_t hundredths =
        RoundHalfEven(fpu, multiply(fpu, fromDouble(fpu, quotient), hundred));
    return FormatNumberGeneral(fpu, divide(fpu, fromInt64(hundredths), hundred));
  } catch (const EExternal&) {
    fpu.reset(DefaultFpuControlWord);
    return "NaN";
  } catch (const Exception&) {
    return "NaN";
  }
}

}  // namespace calc
