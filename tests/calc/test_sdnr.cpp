#include <gtest/gtest.h>

#include "calc/sdnr.h"

namespace calc {
namespace {

struct SdnrCase {
  const char* mAl;
  const char* sAl;
  const char* mBG;
  const char* sBG;
  const char* result;
};

class SdnrTest : public testing::TestWithParam<SdnrCase> {};

TEST_P(SdnrTest, GivesTheRoundedRatioOrNaN) {
  const SdnrCase& c = GetParam();
  Fpu fpu;
  EXPECT_EQ(SdnrResultText(fpu, c.mAl, c.sAl, c.mBG, c.sBG), c.result);
  // A caught processor error leaves the unit reset under the process setting.
  EXPECT_EQ(fpu.controlWord(), DefaultFpuControlWord);
}

INSTANTIATE_TEST_SUITE_P(WorkedValues, SdnrTest,
                         testing::Values(SdnrCase{"100", "5", "200", "5", "20"},
                                         SdnrCase{"1000", "10", "1500", "20", "31.62"},
                                         SdnrCase{"512.3", "12.1", "498.7", "11.4", "1.16"},
                                         SdnrCase{"0", "1", "0.125", "1", "0.12"},
                                         SdnrCase{"0", "1", "0.375", "1", "0.38"},
                                         SdnrCase{"100", "0", "200", "0", "NaN"},
                                         SdnrCase{"100", "0", "100", "0", "NaN"},
                                         SdnrCase{"1E17", "1", "0", "1", "NaN"},
                                         SdnrCase{"100", "5", "", "5", "NaN"}));

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, SdnrTest,
    testing::Values(
        SdnrCase{"", "", "", "", "NaN"}, SdnrCase{"abc", "5", "200", "5", "NaN"},
        SdnrCase{"0", "1", "2.5", "1", "2.5"}, SdnrCase{"200", "5", "100", "5", "20"},
        SdnrCase{"1000", "-10", "1500", "-20", "31.62"}, SdnrCase{"100", "5", "100", "7", "0"},
        SdnrCase{"12,5", "5", "200", "5", "NaN"}, SdnrCase{"1E400", "5", "200", "5", "NaN"},
        SdnrCase{"1E39", "5", "200", "5", "NaN"}, SdnrCase{"1E-310", "1", "0", "1", "0"},
        SdnrCase{"1E300", "1E-300", "-1E300", "1E-300", "NaN"},
        SdnrCase{" 100 ", "5", "200", "5", "20"}, SdnrCase{"9E16", "1", "0", "1", "9E16"}));

}  // namespace
}  // namespace calc
