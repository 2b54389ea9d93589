#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "calc/errors.h"
#include "calc/extended_ops.h"
#include "calc/sdnr.h"

namespace calc {
namespace {

constexpr Extended One{0x8000000000000000, 0x3FFF};
constexpr Extended Largest{0xFFFFFFFFFFFFFFFF, 0x7FFE};
constexpr Extended SmallestNormal{0x8000000000000000, 0x0001};

// Unmasked conditions raise the error of their class, and the flags stay pending.
TEST(Fpu, UnmaskedConditionsRaiseTheirErrors) {
  struct Case {
    const char* label;
    std::function<void(Fpu&)> operation;
    std::string message;
    std::uint16_t flag;
  };
  const Case cases[] = {
      {"0/0", [](Fpu& f) { divide(f, Extended{}, Extended{}); }, "Invalid floating point operation",
       FpuFlag::Invalid},
      {"1/0", [](Fpu& f) { divide(f, One, Extended{}); }, "Floating point division by zero",
       FpuFlag::ZeroDivide},
      {"sqrt(-1)", [](Fpu& f) { squareRoot(f, negate(One)); }, "Invalid floating point operation",
       FpuFlag::Invalid},
      {"max*max", [](Fpu& f) { multiply(f, Largest, Largest); }, "Floating point overflow",
       FpuFlag::Overflow},
      {"max to double", [](Fpu& f) { toDouble(f, Largest); }, "Floating point overflow",
       FpuFlag::Overflow},
      {"1E39 to single", [](Fpu& f) { toSingle(f, fromDouble(f, 1E39)); },
       "Floating point overflow", FpuFlag::Overflow},
      {"2^63 to int64",
       [](Fpu& f) {
         toInt64(f, Extended{0x8000000000000000, 0x403E});
       },
       "Invalid floating point operation", FpuFlag::Invalid},
  };
  for (const Case& c : cases) {
    Fpu fpu;
    try {
      c.operation(fpu);
      ADD_FAILURE() << c.label << ": no error";
    } catch (const EMathError& e) {
      EXPECT_EQ(e.message(), c.message) << c.label;
    }
    EXPECT_NE(fpu.statusFlags() & c.flag, 0) << c.label;
  }
}

TEST(Fpu, MaskedConditionsOnlySetFlags) {
  Fpu fpu(ParseFpuControlWord);
  EXPECT_TRUE(divide(fpu, One, Extended{}).isInfinity());
  EXPECT_EQ(divide(fpu, Extended{}, Extended{}), DefaultNaN);
  EXPECT_TRUE(multiply(fpu, Largest, Largest).isInfinity());
  EXPECT_EQ(fpu.statusFlags(),
            FpuFlag::ZeroDivide | FpuFlag::Invalid | FpuFlag::Overflow | FpuFlag::Precision);
}

TEST(Fpu, UnderflowIsMaskedByTheProcessSetting) {
  Fpu fpu;
  constexpr Extended Third{0xAAAAAAAAAAAAAAAB, 0x3FFD};
  const Extended tiny = multiply(fpu, SmallestNormal, Third);
  EXPECT_TRUE(tiny.isDenormal());
  EXPECT_EQ(fpu.statusFlags(), FpuFlag::Underflow | FpuFlag::Precision);
  fpu.loadControlWord(DefaultFpuControlWord & ~FpuFlag::Underflow);
  EXPECT_THROW(multiply(fpu, SmallestNormal, Third), EUnderflow);
}

TEST(Fpu, SettingScopeRestoresTheCallersSetting) {
  Fpu fpu;
  fpu.signal(FpuFlag::Precision);
  {
    FpuSettingScope scope(fpu, ParseFpuControlWord);
    EXPECT_EQ(fpu.controlWord(), ParseFpuControlWord);
    EXPECT_EQ(fpu.statusFlags(), 0);
    divide(fpu, One, Extended{});
  }
  EXPECT_EQ(fpu.controlWord(), DefaultFpuControlWord);
  EXPECT_EQ(fpu.statusFlags(), 0);
}

TEST(Errors, FormTheClassTree) {
  const EZeroDivide zeroDivide;
  const Exception& asException = zeroDivide;
  EXPECT_NE(dynamic_cast<const EMathError*>(&asException), nullptr);
  EXPECT_NE(dynamic_cast<const EExternal*>(&asException), nullptr);
  const EConvertError convert("x");
  const Exception& convertAsException = convert;
  EXPECT_EQ(dynamic_cast<const EExternal*>(&convertAsException), nullptr);
  EXPECT_EQ(EUnderflow().message(), "Floating point underflow");
}

// After a caught division by zero the next computation starts clean under the process setting.
TEST(Fpu, CalculationAfterACaughtErrorRunsUnderTheProcessSetting) {
  Fpu fpu;
  EXPECT_EQ(SdnrResultText(fpu, "100", "0", "200", "0"), "NaN");
  EXPECT_EQ(fpu.statusFlags(), 0);
  EXPECT_EQ(fpu.controlWord(), DefaultFpuControlWord);
  EXPECT_EQ(SdnrResultText(fpu, "100", "5", "200", "5"), "20");
}

}  // namespace
}  // namespace calc
