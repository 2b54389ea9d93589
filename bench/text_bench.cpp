// The text paths a keystroke goes through: parsing a field, formatting a result, and both
// together as the main window runs them after every edit.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "calc/extended_ops.h"
#include "calc/number_text.h"
#include "calc/sdnr.h"

namespace {

void BM_Parse(benchmark::State& state, std::string_view text) {
  calc::Fpu fpu;
  for (auto _ : state) {
    calc::ParsedNumber parsed = calc::ParseNumberText(fpu, text);
    benchmark::DoNotOptimize(parsed);
  }
}
BENCHMARK_CAPTURE(BM_Parse, 512.3, "512.3");
BENCHMARK_CAPTURE(BM_Parse, 12.1, "12.1");
BENCHMARK_CAPTURE(BM_Parse, 1500, "1500");
BENCHMARK_CAPTURE(BM_Parse, 0.125, "0.125");
BENCHMARK_CAPTURE(BM_Parse, spaced_1000, "  1000 ");
BENCHMARK_CAPTURE(BM_Parse, 1E-5, "1E-5");
BENCHMARK_CAPTURE(BM_Parse, abc, "abc");

calc::Extended parsed(std::string_view text) {
  calc::Fpu fpu;
  return calc::ParseNumberText(fpu, text).value;
}

calc::Extended oneThird() {
  calc::Fpu fpu;
  return calc::divide(fpu, calc::fromInt64(1), calc::fromInt64(3));
}

void BM_Format(benchmark::State& state, calc::Extended value) {
  calc::Fpu fpu;
  for (auto _ : state) {
    std::string text = calc::FormatNumberGeneral(fpu, value);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK_CAPTURE(BM_Format, 31.62, parsed("31.62"));
BENCHMARK_CAPTURE(BM_Format, 0.12, parsed("0.12"));
BENCHMARK_CAPTURE(BM_Format, 20, parsed("20"));
BENCHMARK_CAPTURE(BM_Format, one_third, oneThird());
BENCHMARK_CAPTURE(BM_Format, 1.5E300, parsed("1.5E300"));

// One edited field is checked, then the result is recomputed from all four fields.
void BM_Keystroke(benchmark::State& state) {
  calc::Fpu fpu;
  float single = 0;
  for (auto _ : state) {
    bool valid = calc::CheckNumberSingle(fpu, "512.3", single);
    std::string result = calc::SdnrResultText(fpu, "512.3", "12.1", "498.7", "11.4");
    benchmark::DoNotOptimize(valid);
    benchmark::DoNotOptimize(single);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_Keystroke);

}  // namespace
