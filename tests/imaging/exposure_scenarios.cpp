#include "exposure_scenarios.h"

#include <array>

namespace exposure_test {
namespace {

// A 24 × 18 cm field at 0.1 mm with the chest wall at the left and a 20 mm aluminium square
// centred 60 mm out, as the test object is usually laid.
ExposurePlan Clean() {
  ExposurePlan plan;
  plan.objectEdgeBlur = 1.5;
  plan.aluminium = {SquareAt(plan, 60, 0, 20)};
  return plan;
}

ExposurePlan Heel25() {
  ExposurePlan plan = Clean();
  plan.chestWall = Edge::Right;
  plan.heel = 0.25;
  plan.lateralFalloff = 0.05;
  plan.aluminium = {SquareAt(plan, 55, -40, 15)};
  return plan;
}

ExposurePlan Marker() {
  ExposurePlan plan = Clean();
  plan.markers = {RectangleAt(plan, 60, 25, 12, 8), RectangleAt(plan, 200, 75, 12, 8)};
  return plan;
}

ExposurePlan DeadLines() {
  ExposurePlan plan = Clean();
  const int maximum = (1 << plan.bitsStored) - 1;
  plan.deadLines = {{false, 1100, 2, 0}, {true, 1800, 1, maximum}};
  for (int i = 0; i < 24; ++i)
    plan.deadPixels.push_back({(i * 7919 + 300) % plan.width, (i * 104729 + 500) % plan.height});
  return plan;
}

ExposurePlan Paddle() {
  ExposurePlan plan = Clean();
  plan.paddle = PaddleEdge{80, 0.96};
  return plan;
}

ExposurePlan SecondObject() {
  ExposurePlan plan = Clean();
  plan.aluminium.push_back(SquareAt(plan, 50, -45, 15));
  return plan;
}

ExposurePlan NoAluminium() {
  ExposurePlan plan = Clean();
  plan.aluminium.clear();
  return plan;
}

ExposurePlan Border() {
  ExposurePlan plan = Clean();
  plan.collimation = {0, 60, 100, 40};  // left, top, right, bottom
  plan.aluminium = {SquareAt(plan, 55, -50, 20)};
  return plan;
}

ExposurePlan Monochrome1() {
  ExposurePlan plan = Clean();
  plan.monochrome1 = true;
  plan.bitsStored = 12;
  plan.chestWall = Edge::Right;
  plan.aluminium = {SquareAt(plan, 60, 0, 20)};
  return plan;
}

ExposurePlan Fine() {
  ExposurePlan plan = Clean();
  plan.width = 4096;
  plan.height = 3328;
  plan.pixelSpacingMm = 0.05;
  plan.bitsStored = 16;
  plan.signal = 12000;
  plan.darkLevel = 240;
  plan.noise = 200;
  plan.objectEdgeBlur = 2.5;
  plan.aluminium = {SquareAt(plan, 60, 0, 20)};
  return plan;
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

std::optional<ExposurePlan> ScenarioPlan(std::string_view name) {
  for (const Scenario& scenario : All) {
    if (scenario.name == name) return scenario.make();
  }
  return std::nullopt;
}

}  // namespace exposure_test
