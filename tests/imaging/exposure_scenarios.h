// Named realistic exposures for manual checks, end-to-end tests and benchmarks.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "realistic_exposure.h"

namespace exposure_test {

struct Scenario {
  std::string_view name;
  std::string_view description;
  ExposurePlan (*make)();
};

std::span<const Scenario> Scenarios();
std::optional<ExposurePlan> ScenarioPlan(std::string_view name);

}  // namespace exposure_test
