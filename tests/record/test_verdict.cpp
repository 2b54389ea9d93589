// Verdicts exactly at and beside every kind of bound.
#include <gtest/gtest.h>

#include <vector>

#include "record/verdict.h"

namespace {

using record::ExactDecimal;

std::optional<ExactDecimal> D(const char* text) {
  return text == nullptr ? std::nullopt : ExactDecimal::Parse(text);
}

TEST(Verdict, BoundsCountAsInsideAndNothingIsRoundedOnTheWay) {
  const struct {
    const char* measured;
    const char* reference;
    bool withRule;
    const char* below;
    const char* above;
    const char* minimum;
    const char* maximum;
    const char* verdict;
    const char* deviation;
  } cases[] = {
      {"5.00", nullptr, true, "15", nullptr, nullptr, nullptr, "kein Bezugswert", ""},
      {"5.00", "5", false, nullptr, nullptr, nullptr, nullptr, "keine Toleranz", "+0.0"},
      // 4.25 is exactly 15 % below 5; one hundredth less is outside.
      {"4.25", "5", true, "15", nullptr, nullptr, nullptr, "bestanden", "-15.0"},
      {"4.24", "5", true, "15", nullptr, nullptr, nullptr, "nicht bestanden", "-15.2"},
      // 0.1 and 0.7 have no exact binary form: 0.7 × (1 + 0.1) is 0.77 exactly here.
      {"0.77", "0.7", true, nullptr, "10", nullptr, nullptr, "bestanden", "+10.0"},
      {"0.78", "0.7", true, nullptr, "10", nullptr, nullptr, "nicht bestanden", "+11.4"},
      {"3.99", "5", true, nullptr, nullptr, "4", nullptr, "nicht bestanden", "-20.2"},
      {"4", "5", true, nullptr, nullptr, "4", "6", "bestanden", "-20.0"},
      {"6.01", "5", true, nullptr, nullptr, "4", "6", "nicht bestanden", "+20.2"},
      {"-1", "-2", true, "50", nullptr, nullptr, nullptr, "bestanden", "-50.0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.measured) + " against " + (c.reference ? c.reference : "none"));
    std::optional<record::ToleranceRule> rule;
    if (c.withRule)
      rule = record::ToleranceRule{D(c.below), D(c.above), D(c.minimum), D(c.maximum)};
    const record::Evaluation evaluation = record::Evaluate(*D(c.measured), D(c.reference), rule);
    EXPECT_EQ(evaluation.verdict, c.verdict);
    EXPECT_EQ(evaluation.deviationPercent, c.deviation);
  }
}

TEST(Verdict, DecimalsAreReadStrictlyAndWrittenWithoutNeedlessZeros) {
  const std::pair<const char*, const char*> cases[] = {{"45.0", "45"},
                                                       {"-0.50", "-0.5"},
                                                       {"+3", "3"},
                                                       {"0.000000001", "0.000000001"},
                                                       {"5,2", nullptr},
                                                       {"1e3", nullptr},
                                                       {"NaN", nullptr},
                                                       {"", nullptr},
                                                       {".", nullptr},
                                                       {"1.", nullptr},
                                                       {"1234567890", nullptr},
                                                       {"0.0000000001", nullptr}};
  for (const auto& [text, expected] : cases) {
    const std::optional<ExactDecimal> parsed = ExactDecimal::Parse(text);
    ASSERT_EQ(parsed.has_value(), expected != nullptr) << text;
    if (parsed) {
      EXPECT_EQ(parsed->text(), expected);
    }
  }
}

}  // namespace

// Means as a reference value takes them: exact, then to hundredths with ties to even.
TEST(Verdict, MeansAreExactAndRoundedLikeTheSdnr) {
  const struct {
    std::vector<const char*> values;
    const char* mean;
  } cases[] = {{{"5.21", "5.24", "5.30"}, "5.25"},
               {{"0.125", "0.135"}, "0.13"},
               {{"0.125"}, "0.12"},
               {{"0.135"}, "0.14"},
               {{"-0.125"}, "-0.12"},
               {{"1", "2"}, "1.5"},
               {{"0.1", "0.2", "0.3"}, "0.2"},
               {{"999999999", "999999999"}, "999999999"}};
  for (const auto& c : cases) {
    std::vector<ExactDecimal> values;
    for (const char* value : c.values) values.push_back(*D(value));
    EXPECT_EQ(ExactDecimal::RoundedMean(values, 2)->text(), c.mean) << c.values.front();
  }
  EXPECT_FALSE(ExactDecimal::RoundedMean({}, 2));
}
