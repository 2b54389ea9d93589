// Automatic ROI placement on an exposure of a full-field mammography detector: 4096 × 3328
// 16-bit values with pixel noise, a heel-effect slope and an aluminium object.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "imaging/roi_placement.h"

namespace {

constexpr int Width = 4096;
constexpr int Height = 3328;

std::vector<std::uint16_t> MakeExposure() {
  const imaging::Roi object{1000, 1000, 600, 400};
  constexpr double Level = 4000;
  constexpr double Contrast = -400;  // ten times the noise
  std::mt19937 random(1);
  std::normal_distribution<double> noise(0, 40);
  std::vector<std::uint16_t> values;
  values.reserve(static_cast<std::size_t>(Width) * Height);
  for (int y = 0; y < Height; ++y) {
    const double heel = std::exp(0.15 * (static_cast<double>(y) / Height - 0.5));
    for (int x = 0; x < Width; ++x) {
      const bool inObject = object.contains(imaging::Roi{x, y, 1, 1});
      const double value = Level * heel + (inObject ? Contrast : 0) + noise(random);
      values.push_back(static_cast<std::uint16_t>(std::clamp(std::lround(value), 0L, 65535L)));
    }
  }
  return values;
}

void BM_PlaceRoisAutomatically(benchmark::State& state) {
  static const std::vector<std::uint16_t> values = MakeExposure();
  const imaging::PixelView image{Width, Height, values, 0};
  for (auto _ : state) {
    imaging::RoiPlacement placement = imaging::PlaceRoisAutomatically(image);
    benchmark::DoNotOptimize(placement);
  }
  if (!imaging::PlaceRoisAutomatically(image).object) state.SkipWithError("object not found");
}
BENCHMARK(BM_PlaceRoisAutomatically)->Unit(benchmark::kMillisecond);

}  // namespace
