// Automatic placement and plausibility checks on the exposure of a full-field mammography
// detector: 4096 × 3328 16-bit values at 0.05 mm with the heel effect, noise and a 20 mm
// aluminium square, clean and with the disturbances that make the search for "BG" longest.
#include <benchmark/benchmark.h>

#include "imaging/exposure_survey.h"
#include "imaging/measurement_checks.h"
#include "imaging/roi_placement.h"
#include "tests/imaging/exposure_scenarios.h"

namespace {

using exposure_test::Exposure;

const Exposure& Fine(bool disturbed) {
  static const auto render = [](bool withDisturbances) {
    exposure_test::ExposurePlan plan = *exposure_test::ScenarioPlan("fine");
    if (withDisturbances) {
      // A marker where "BG" would go first, a dead row beyond it and a paddle edge.
      plan.markers = {exposure_test::RectangleAt(plan, 60, -25, 12, 8)};
      plan.deadLines = {{false, 1300, 2, 0}};
      plan.paddle = exposure_test::PaddleEdge{85, 0.96};
    }
    return exposure_test::Render(plan, 1);
  };
  static const Exposure clean = render(false);
  static const Exposure withDisturbances = render(true);
  return disturbed ? withDisturbances : clean;
}

imaging::ExposureSurvey Survey(const Exposure& exposure) {
  return imaging::SurveyExposure(exposure.pixels(), exposure.plan.bitsStored,
                                 imaging::Photometric::Monochrome2, {});
}

// The whole automatic placement, as opening an image runs it.
void BM_SurveyAndPlace(benchmark::State& state) {
  const Exposure& exposure = Fine(state.range(0) != 0);
  for (auto _ : state) {
    imaging::RoiPlacement placement = imaging::PlaceRois(Survey(exposure));
    benchmark::DoNotOptimize(placement);
  }
  if (!imaging::PlaceRois(Survey(exposure)).object) state.SkipWithError("object not found");
}
BENCHMARK(BM_SurveyAndPlace)->ArgName("disturbed")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The checks that run at every step of a ROI drag.
void BM_CheckMeasurement(benchmark::State& state) {
  const Exposure& exposure = Fine(state.range(0) != 0);
  const imaging::ExposureSurvey survey = Survey(exposure);
  const imaging::RoiPlacement placement = imaging::PlaceRois(survey);
  const imaging::ImageContext context{"MG", "FOR PROCESSING", false, "L", "A\\R"};
  for (auto _ : state) {
    auto warnings =
        imaging::CheckMeasurement(survey, context, placement.aluminium, placement.background);
    benchmark::DoNotOptimize(warnings);
  }
}
BENCHMARK(BM_CheckMeasurement)->ArgName("disturbed")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
