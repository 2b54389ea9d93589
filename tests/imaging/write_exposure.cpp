// Writes one named realistic exposure for manual checks, the end-to-end tests and the benchmarks.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "exposure_dicom.h"
#include "exposure_scenarios.h"

namespace {

void PrintUsage() {
  std::fputs(
      "usage: write_exposure OUT.dcm SCENARIO [--seed N]\n"
      "Writes a raw (for processing) mammography exposure, linear in dose: signal 3000 over a\n"
      "dark level of 60 with noise 25 at the chest wall unless said otherwise, aluminium\n"
      "transmission 0.92, object edges unsharp by 1.5 pixels. The seed (default 1) picks the\n"
      "noise. SCENARIO:\n",
      stderr);
  for (const exposure_test::Scenario& scenario : exposure_test::Scenarios()) {
    std::string description(scenario.description);
    for (std::size_t line = description.find('\n'); line != std::string::npos;
         line = description.find('\n', line + 1)) {
      description.insert(line + 1, 17, ' ');
    }
    std::fprintf(stderr, "  %-14s %s\n", std::string(scenario.name).c_str(), description.c_str());
  }
}

struct Options {
  std::string output;
  exposure_test::ExposurePlan plan;
  std::uint64_t seed = 1;
};

std::optional<Options> ParseOptions(int argc, char** argv) {
  if (argc != 3 && argc != 5) return std::nullopt;
  Options options;
  options.output = argv[1];
  const std::optional<exposure_test::ExposurePlan> plan = exposure_test::ScenarioPlan(argv[2]);
  if (!plan) return std::nullopt;
  options.plan = *plan;
  if (argc == 3) return options;
  const std::string_view seed = argv[4];
  const char* end = seed.data() + seed.size();
  if (std::string_view(argv[3]) != "--seed" || seed.empty() ||
      std::from_chars(seed.data(), end, options.seed).ptr != end) {
    return std::nullopt;
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> options = ParseOptions(argc, argv);
  if (!options) {
    PrintUsage();
    return 2;
  }
  try {
    const exposure_test::Exposure exposure = exposure_test::Render(options->plan, options->seed);
    dicom_test::WriteDicomFile(exposure_test::AsDicom(exposure), options->output);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "write_exposure: %s\n", error.what());
    return 1;
  }
  return 0;
}
