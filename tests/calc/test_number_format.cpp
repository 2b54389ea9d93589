#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "calc/errors.h"
#include "calc/extended_ops.h"
#include "calc/number_text.h"

namespace calc {
namespace {

Extended parsed(const char* text) {
  Fpu fpu;
  const ParsedNumber p = ParseNumberText(fpu, text);
  EXPECT_TRUE(p.ok) << text;
  return p.value;
}

Extended ratio(std::int64_t a, std::int64_t b) {
  Fpu fpu;
  return divide(fpu, fromInt64(a), fromInt64(b));
}

struct FormatCase {
  const char* label;
  Extended value;
  const char* text;
};

TEST(FormatNumberGeneral, WritesTheGeneralFormat) {
  const FormatCase cases[] = {
      {"0", fromInt64(0), "0"},
      {"-0", Extended{0, 0x8000}, "0"},
      {"3", fromInt64(3), "3"},
      {"2.5", ratio(5, 2), "2.5"},
      {"-1.25", ratio(-5, 4), "-1.25"},
      {"100", fromInt64(100), "100"},
      {"0.1", parsed("0.1"), "0.1"},
      {"1/3", ratio(1, 3), "0.333333333333333"},
      {"2/3", ratio(2, 3), "0.666666666666667"},
      {"0.0001", parsed("0.0001"), "0.0001"},
      {"0.00012", parsed("0.00012"), "0.00012"},
      {"0.00001", parsed("0.00001"), "1E-5"},
      {"0.0000123", parsed("0.0000123"), "1.23E-5"},
      {"-1E-20", parsed("-1E-20"), "-1E-20"},
      {"1E14", parsed("1E14"), "100000000000000"},
      {"123456789012345", parsed("123456789012345"), "123456789012345"},
      {"999999999999999", parsed("999999999999999"), "999999999999999"},
      {"999999999999999.5", parsed("999999999999999.5"), "1E15"},
      {"1E15", parsed("1E15"), "1E15"},
      {"1234567890123456", parsed("1234567890123456"), "1.23456789012346E15"},
      {"1E20", parsed("1E20"), "1E20"},
      {"1.5E300", parsed("1.5E300"), "1.5E300"},
      {"3162/100", ratio(3162, 100), "31.62"},
      {"2000/100", ratio(2000, 100), "20"},
      {"12/100", ratio(12, 100), "0.12"},
      {"INT64_MAX/100", ratio(INT64_MAX, 100), "9.22337203685478E16"},
      // The 18-digit form ends in 500, so the 15-digit rounding goes up.
      {"0.1234567890123454999", parsed("0.1234567890123454999"), "0.123456789012346"},
      // Below 1E-205 the estimate can be one too high and a leading 0 stays.
      {"2^-681", Extended{0x8000000000000000, 16383 - 681}, "0.99671949510976E-205"},
      {"largest", Extended{0xFFFFFFFFFFFFFFFF, 0x7FFE}, "1.18973149535723E4932"},
      {"smallest normal", Extended{0x8000000000000000, 0x0001}, "3.36210314311209E-4932"},
      {"denormal", Extended{0x0000000000000001, 0x0000}, "0"},
      {"pseudo-denormal", Extended{0x8000000000000000, 0x8000}, "0"},
      {"INF", Extended{0x8000000000000000, 0x7FFF}, "INF"},
      {"-INF", Extended{0x8000000000000000, 0xFFFF}, "-INF"},
      {"NaN", Extended{0xC000000000000000, 0xFFFF}, "NAN"},
      {"signaling NaN", Extended{0x8000000000000001, 0x7FFF}, "NAN"},
      {"unnormal", Extended{0x4000000000000000, 0x3FFF}, "NAN"},
      {"pseudo-infinity", Extended{0, 0x7FFF}, "NAN"},
      {"1E-4", parsed("1E-4"), "0.0001"},
      {"12345.678", parsed("12345.678"), "12345.678"},
      {"1E-3", parsed("-0.001"), "-0.001"},
  };
  for (const FormatCase& c : cases) {
    Fpu fpu;
    EXPECT_EQ(FormatNumberGeneral(fpu, c.value), c.text) << c.label;
    EXPECT_EQ(fpu.controlWord(), DefaultFpuControlWord);
  }
}

TEST(RoundHalfEven, RoundsTiesToEven) {
  const struct {
    const char* text;
    std::int64_t result;
  } cases[] = {{"0.5", 0},
               {"1.5", 2},
               {"2.5", 2},
               {"3.5", 4},
               {"12.5", 12},
               {"37.5", 38},
               {"-0.5", 0},
               {"-2.5", -2},
               {"0.49999", 0},
               {"-1E-4000", 0},
               {"9223372036854775807", INT64_MAX},
               {"-9223372036854775808", INT64_MIN}};
  for (const auto& c : cases) {
    Fpu fpu;
    EXPECT_EQ(RoundHalfEven(fpu, parsed(c.text)), c.result) << c.text;
  }
}

TEST(RoundHalfEven, RaisesInvalidOperationOutsideTheRange) {
  for (const char* text : {"9.3E18", "9223372036854775808", "-9223372036854775809", "1E4000"}) {
    Fpu fpu;
    EXPECT_THROW(RoundHalfEven(fpu, parsed(text)), EInvalidOp) << text;
  }
  Fpu fpu;
  EXPECT_THROW(RoundHalfEven(fpu, Extended{0x8000000000000000, 0x7FFF}), EInvalidOp);
  EXPECT_THROW(RoundHalfEven(fpu, Extended{0xC000000000000000, 0x7FFF}), EInvalidOp);
}

}  // namespace
}  // namespace calc
