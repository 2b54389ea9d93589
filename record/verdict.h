// A measured value judged against its reference value (Bezugswert) and a tolerance rule, in
// words, exactly at the edges.
#pragma once

#include <optional>
#include <string>

#include "exact_decimal.h"

namespace record {

// Bounds in percent of the reference and absolute ones, each optional.
struct ToleranceRule {
  std::optional<ExactDecimal> belowPercent;
  std::optional<ExactDecimal> abovePercent;
  std::optional<ExactDecimal> minimum;
  std::optional<ExactDecimal> maximum;
};

inline constexpr const char* Passed = "bestanden";
inline constexpr const char* Failed = "nicht bestanden";
inline constexpr const char* NoReference = "kein Bezugswert";
inline constexpr const char* NoTolerance = "keine Toleranz";

struct Evaluation {
  std::string deviationPercent;  // "+3.2", "-12.0"; empty without a reference
  std::string verdict;
};

// Without a reference "kein Bezugswert"; with one but no rule "keine Toleranz"; else whether the
// value lies within every bound the rule sets (the bounds themselves included).
Evaluation Evaluate(const ExactDecimal& measured, const std::optional<ExactDecimal>& reference,
                    const std::optional<ToleranceRule>& rule);

}  // namespace record
