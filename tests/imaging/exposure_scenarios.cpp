#include "exposure_scenarios.h"

#include <array>

namespace exposure_test {
namespace {

// A 24 × 18 cm field at 0.1 mm with the chest wall at the left and a 20 mm aluminium square
// centred 60 mm out, as the test object is usually laid.
ExposureSpec Clean() {
  ExposureSpec spec;
  spec.objectEdgeBlur = 1.5;
  spec.aluminium = {SquareAt(spec, 60, 0, 20)};
  return spec;
}

ExposureSpec Heel25() {
  ExposureSpec spec = Clean();
  spec.chestWall = Edge::Right;
  spec.heel = 0.25;
  spec.lateralFalloff = 0.05;
  spec.aluminium = {SquareAt(spec, 55, -40, 15)};
  return spec;
}

ExposureSpec Marker() {
  ExposureSpec spec = Clean();
  spec.markers = {RectangleAt(spec, 60, 25, 12, 8), RectangleAt(spec, 200, 75, 12, 8)};
  return spec;
}

ExposureSpec DeadLines() {
  ExposureSpec spec = Clean();
  const int maximum = (1 << spec.bitsStored) - 1;
  spec.deadLines = {{false, 1100, 2, 0}, {true, 1800, 1, maximum}};
  for (int i = 0; i < 24; ++i)
    spec.deadPixels.push_back({(i * 7919 + 300) % spec.width, (i * 104729 + 500) % spec.height});
  return spec;
}

ExposureSpec Paddle() {
  ExposureSpec spec = Clean();
  spec.paddle = PaddleEdge{80, 0.96};
  return spec;
}

ExposureSpec SecondObject() {
  ExposureSpec spec = Clean();
  spec.aluminium.push_back(SquareAt(spec, 50, -45, 15));
  return spec;
}

ExposureSpec NoAluminium() {
  ExposureSpec spec = Clean();
  spec.aluminium.clear();
  return spec;
}

ExposureSpec Border() {
  ExposureSpec spec = Clean();
  spec.collimation = {0, 60, 100, 40};  // left, top, right, bottom
  spec.aluminium = {SquareAt(spec, 55, -50, 20)};
  return spec;
}

ExposureSpec Monochrome1() {
  ExposureSpec spec = Clean();
  spec.monochrome1 = true;
  spec.bitsStored = 12;
  spec.chestWall = Edge::Right;
  spec.aluminium = {SquareAt(spec, 60, 0, 20)};
  return spec;
}

ExposureSpec Fine() {
  ExposureSpec spec = Clean();
  spec.width = 4096;
  spec.height = 3328;
  spec.pixelSpacingMm = 0.05;
  spec.bitsStored = 16;
  spec.signal = 12000;
  spec.darkLevel = 240;
  spec.noise = 200;
  spec.objectEdgeBlur = 2.5;
  spec.aluminium = {SquareAt(spec, 60, 0, 20)};
  return spec;
}

constexpr std::array<Scenario, 10> All = {{
    {"clean",
     "24 x 18 cm at 0.1 mm (2400 x 1800, 14 bits), chest wall left, heel 15 %,\n"
     "a 20 mm aluminium square 60 mm out, centred",
     Clean},
    {"heel25",
     "heel 25 %, lateral fall-off 5 %, chest wall right, a 15 mm square 55 mm out and\n"
     "40 mm off-centre",
     Heel25},
    {"marker", "clean with lead letter blocks (12 x 8 mm) 25 mm beside the square and far out",
     Marker},
    {"deadline",
     "clean with a dead double row (0) beside the square, a dead column at full\n"
     "scale 180 mm out and 24 dead pixels",
     DeadLines},
    {"paddle", "clean with the compression paddle's edge 80 mm out (beyond it x 0.96)", Paddle},
    {"second-object", "clean with a second square (15 mm) 50 mm out and 45 mm to one side",
     SecondObject},
    {"no-aluminium", "the open field of clean, without aluminium", NoAluminium},
    {"border",
     "unexposed strips of 6 mm at the top, 10 mm far out and 4 mm at the bottom,\n"
     "the square 55 mm out and 50 mm off-centre towards the top",
     Border},
    {"mono1", "clean as MONOCHROME1 with 12 bits stored and the chest wall right", Monochrome1},
    {"fine",
     "0.05 mm pixels (4096 x 3328, 16 bits), signal 12000 over 240, noise 200, edges\n"
     "unsharp by 2.5 pixels, the square 60 mm out, centred",
     Fine},
}};

}  // namespace

std::span<const Scenario> Scenarios() {
  return All;
}

std::optional<ExposureSpec> ScenarioSpec(std::string_view name) {
  for (const Scenario& scenario : All) {
    if (scenario.name == name) return scenario.make();
  }
  return std::nullopt;
}

}  // namespace exposure_test
