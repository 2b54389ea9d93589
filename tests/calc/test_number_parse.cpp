#include <gtest/gtest.h>

#include <string>

#include "calc/errors.h"
#include "calc/format_settings.h"
#include "calc/number_text.h"
#include "calc/pow10.h"

namespace calc {
namespace {

constexpr Extended X(std::uint16_t signExp, std::uint64_t sig) {
  return Extended{sig, signExp};
}

constexpr Extended Zero = X(0x0000, 0), NegativeZero = X(0x8000, 0);
constexpr Extended One = X(0x3FFF, 0x8000000000000000);

struct ParseCase {
  std::string text;
  bool ok;
  Extended value;
};

class ParseNumberTextTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseNumberTextTest, AcceptsExactlyTheNumberSyntax) {
  const ParseCase& c = GetParam();
  Fpu fpu;
  const ParsedNumber parsed = ParseNumberText(fpu, c.text);
  ASSERT_EQ(parsed.ok, c.ok) << '"' << c.text << '"';
  if (c.ok) {
    EXPECT_EQ(parsed.value.signExp, c.value.signExp) << c.text;
    EXPECT_EQ(parsed.value.sig, c.value.sig) << c.text;
  }
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Syntax, ParseNumberTextTest,
    testing::Values(
        ParseCase{"  12.5 ", true, X(0x4002, 0xC800000000000000)},
        ParseCase{"12.5", true, X(0x4002, 0xC800000000000000)},
        ParseCase{"-1.25", true, X(0xBFFF, 0xA000000000000000)},
        ParseCase{"+3", true, X(0x4000, 0xC000000000000000)}, ParseCase{"\t1", false, {}},
        ParseCase{"1\t", false, {}}, ParseCase{"1\n", false, {}}, ParseCase{".", true, Zero},
        ParseCase{"-.", true, NegativeZero}, ParseCase{"-0", true, NegativeZero},
        ParseCase{".E5", true, Zero}, ParseCase{"+", false, {}}, ParseCase{"-", false, {}},
        ParseCase{"", false, {}}, ParseCase{"   ", false, {}}, ParseCase{"E5", false, {}},
        ParseCase{"-E", false, {}}, ParseCase{"1E", true, One}, ParseCase{"1e+", true, One},
        ParseCase{"1E-", true, One}, ParseCase{"5.", true, X(0x4001, 0xA000000000000000)},
        ParseCase{".5", true, X(0x3FFE, 0x8000000000000000)}, ParseCase{"1,5", false, {}},
        ParseCase{"1.2.3", false, {}}, ParseCase{"1 000", false, {}}, ParseCase{"$10", false, {}},
        ParseCase{"INF", false, {}}, ParseCase{"NAN", false, {}}, ParseCase{"0x10", false, {}},
        ParseCase{"1E+-2", false, {}}, ParseCase{"- 5", false, {}}, ParseCase{"5 E3", false, {}},
        ParseCase{"1E 3", false, {}}, ParseCase{"+-1", false, {}}, ParseCase{"1e3.5", false, {}},
        ParseCase{"5\0abc"s, true, X(0x4001, 0xA000000000000000)},
        ParseCase{"\0"s
                  "5",
                  false,
                  {}},
        // The nearest extended value: one rounding for up to 19 digits and |scale| <= 27.
        ParseCase{"0.1", true, X(0x3FFB, 0xCCCCCCCCCCCCCCCD)}, ParseCase{"1E-4999", true, Zero},
        ParseCase{"0E4999", true, Zero}, ParseCase{"1E5000", false, {}},
        ParseCase{"0E5000", false, {}}, ParseCase{"1E49999", false, {}},
        ParseCase{"1E-5000", false, {}}, ParseCase{"1E4933", false, {}},
        ParseCase{"1.2E4932", false, {}}, ParseCase{"1E-4960", true, Zero}));

TEST(ParseNumberText, ExponentsAtTheEdges) {
  Fpu fpu;
  EXPECT_TRUE(ParseNumberText(fpu, "1E4932").ok);
  const ParsedNumber leadingZeros = ParseNumberText(fpu, "1E0500");
  const ParsedNumber plain = ParseNumberText(fpu, "1E500");
  ASSERT_TRUE(leadingZeros.ok && plain.ok);
  EXPECT_EQ(leadingZeros.value, plain.value);
  EXPECT_EQ(ParseNumberText(fpu, "1E00000000004999").ok, false);  // 4999 is out of range anyway
  EXPECT_EQ(ParseNumberText(fpu, "0E00000000004999").value, Zero);
}

TEST(ParseNumberText, ManyDigitsWithinTheExtendedRange) {
  Fpu fpu;
  const std::string manyFractionDigits = "0." + std::string(6000, '0') + "1";
  const ParsedNumber tiny = ParseNumberText(fpu, manyFractionDigits);
  ASSERT_TRUE(tiny.ok);
  EXPECT_EQ(tiny.value, Zero);
  EXPECT_TRUE(ParseNumberText(fpu, "1" + std::string(4932, '0')).ok);
  EXPECT_FALSE(ParseNumberText(fpu, "1" + std::string(4933, '0')).ok);
  EXPECT_FALSE(ParseNumberText(fpu, "1" + std::string(4933, '0') + "E-1").ok);  // M overflows first
  const ParsedNumber denormal = ParseNumberText(fpu, "1E-4950");  // underflow is silent
  ASSERT_TRUE(denormal.ok);
  EXPECT_TRUE(denormal.value.isDenormal());
}

TEST(ParseNumberText, RestoresTheCallersSettingAndLeavesNoPendingCondition) {
  Fpu fpu(0x1F32);
  fpu.signal(FpuFlag::Precision);
  for (const char* text : {"1E4933", "1E-4999", "0.1", "abc"}) {
    ParseNumberText(fpu, text);
    EXPECT_EQ(fpu.controlWord(), 0x1F32) << text;
    EXPECT_EQ(fpu.statusFlags(), 0) << text;
  }
}

TEST(ParseNumberText, ReadsTheDecimalSeparatorAtEveryCall) {
  Fpu fpu;
  setDecimalSeparator(',');
  const ParsedNumber comma = ParseNumberText(fpu, "1,5");
  const bool pointAccepted = ParseNumberText(fpu, "1.5").ok;
  setDecimalSeparator('.');
  ASSERT_TRUE(comma.ok);
  EXPECT_EQ(comma.value, X(0x3FFF, 0xC000000000000000));
  EXPECT_FALSE(pointAccepted);
  EXPECT_TRUE(ParseNumberText(fpu, "1.5").ok);
}

TEST(ParseNumberStrict, QuotesTheWholeTextLiterally) {
  struct Case {
    std::string text, message;
  };
  const Case cases[] = {
      {"abc", "'abc' is not a valid floating point value"},
      {"", "'' is not a valid floating point value"},
      {" 1,5 ", "' 1,5 ' is not a valid floating point value"},
      {"%s%n%x", "'%s%n%x' is not a valid floating point value"},
      {"\0x"s, "'\0x' is not a valid floating point value"s},
  };
  Fpu fpu;
  for (const Case& c : cases) {
    try {
      ParseNumberStrict(fpu, c.text);
      ADD_FAILURE() << "no error for " << c.text;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.message(), c.message);
    }
  }
  EXPECT_EQ(ParseNumberStrict(fpu, "2"), X(0x4000, 0x8000000000000000));
}

TEST(CheckNumberSingle, ChecksTheSingleRange) {
  enum class Outcome { True, False, Overflow };
  struct Case {
    const char* text;
    Outcome outcome;
    float value;
  };
  const Case cases[] = {
      {"3.4028235E38", Outcome::True, 3.4028235E38f},
      {"3.4028236E38", Outcome::Overflow, 0},
      {"1E39", Outcome::Overflow, 0},
      {"-1E39", Outcome::Overflow, 0},
      {"1E-50", Outcome::True, 0.0f},
      {"1E-45", Outcome::True, 1.4E-45f},
      {"1E4933", Outcome::False, 0},
      {"abc", Outcome::False, 0},
      {"12.5", Outcome::True, 12.5f},
  };
  for (const Case& c : cases) {
    Fpu fpu;
    float value = -7.0f;
    switch (c.outcome) {
      case Outcome::True:
        EXPECT_TRUE(CheckNumberSingle(fpu, c.text, value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        break;
      case Outcome::False:
        EXPECT_FALSE(CheckNumberSingle(fpu, c.text, value)) << c.text;
        EXPECT_EQ(value, -7.0f) << c.text;
        break;
      case Outcome::Overflow:
        EXPECT_THROW(CheckNumberSingle(fpu, c.text, value), EOverflow) << c.text;
        EXPECT_EQ(value, -7.0f) << c.text;
        break;
    }
  }
}

}  // namespace
}  // namespace calc
