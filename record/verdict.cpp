#include "verdict.h"

#include <cmath>
#include <cstdio>

namespace record {
namespace {

const ExactDecimal Hundred = *ExactDecimal::Parse("100");
const ExactDecimal One = *ExactDecimal::Parse("1");

std::string deviationText(const ExactDecimal& measured, const ExactDecimal& reference) {
  const long double percent = (measured.value() - reference.value()) / reference.value() * 100;
  char text[32];
  std::snprintf(text, sizeof text, "%+.1Lf", percent);
  return text;
}

bool within(const ExactDecimal& m, const ExactDecimal& r, const ToleranceRule& rule) {
  // m ≥ r (1 − P/100) is 100 m − 100 r + P r ≥ 0; m ≤ r (1 + P/100) is 100 r + P r − 100 m ≥ 0.
  if (rule.belowPercent &&
      SignOfSum({{Hundred, m}, {Hundred, r.negated()}, {*rule.belowPercent, r}}) < 0) {
    return false;
  }
  if (rule.abovePercent &&
      SignOfSum({{Hundred, r}, {*rule.abovePercent, r}, {Hundred, m.negated()}}) < 0) {
    return false;
  }
  if (rule.minimum && SignOfSum({{One, m}, {One, rule.minimum->negated()}}) < 0) return false;
  if (rule.maximum && SignOfSum({{One, *rule.maximum}, {One, m.negated()}}) < 0) return false;
  return true;
}

}  // namespace

Evaluation Evaluate(const ExactDecimal& measured, const std::optional<ExactDecimal>& reference,
                    const std::optional<ToleranceRule>& rule) {
  if (!reference || SignOfSum({{One, *reference}}) == 0) return {{}, NoReference};
  const std::string deviation = deviationText(measured, *reference);
  if (!rule) return {deviation, NoTolerance};
  return {deviation, within(measured, *reference, *rule) ? Passed : Failed};
}

}  // namespace record
