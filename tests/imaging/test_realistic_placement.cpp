// Automatic placement and plausibility checks on realistic exposures, judged by the SDNR the
// noiseless model expects, so that noise cannot hide a bias: where a clean place exists, clean
// exposures and disturbed ones alike must come within 2 % of "BG" at the same distance from the
// chest wall and give no warning; where none does, the measurement must be warned about.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "imaging/exposure_survey.h"
#include "imaging/measurement_checks.h"
#include "imaging/roi_placement.h"
#include "realistic_exposure.h"

namespace {

using exposure_test::Edge;
using exposure_test::ExposurePlan;
using exposure_test::RectangleAt;
using exposure_test::SquareAt;
using imaging::Roi;

constexpr double LargestClean = 0.02;

struct Case {
  const char* name;
  bool warned;  // else right: no warning, and the SDNR within 2 % of the reference
  std::function<void(ExposurePlan&)> change;
};

// The chest wall's side as the file would name it, so that the header agrees with the image.
imaging::ImageContext ContextOf(const ExposurePlan& plan) {
  static constexpr const char* Orientation[] = {"A\\R", "R\\A", "P\\L", "L\\P"};
  static constexpr const char* Laterality[] = {"L", "R", "R", "L"};
  const auto edge = static_cast<int>(plan.chestWall);
  return {"MG", "FOR PROCESSING", false, Laterality[edge], Orientation[edge]};
}

std::string Text(const Roi& roi) {
  return std::to_string(roi.x) + "," + std::to_string(roi.y) + " " + std::to_string(roi.width);
}

const Case Cases[] = {
    {"clean, chest wall left", false, [](ExposurePlan&) {}},
    {"heel 25 %, chest wall right, off-centre", false,
     [](ExposurePlan& s) {
       s.chestWall = Edge::Right;
       s.heel = 0.25;
       s.lateralFalloff = 0.05;
       s.aluminium = {SquareAt(s, 55, -40, 18)};
     }},
    {"chest wall top, 12 bit, heel 10 %", false,
     [](ExposurePlan& s) {
       s.chestWall = Edge::Top;
       s.width = 1800;
       s.height = 2400;
       s.bitsStored = 12;
       s.signal = 2500;
       s.heel = 0.10;
       s.aluminium = {SquareAt(s, 45, 30, 20)};
     }},
    {"chest wall bottom, no heel", false,
     [](ExposurePlan& s) {
       s.chestWall = Edge::Bottom;
       s.heel = 0;
       s.aluminium = {SquareAt(s, 60, -20, 20)};
     }},
    {"MONOCHROME1, 16 bit, heel 20 %", false,
     [](ExposurePlan& s) {
       s.monochrome1 = true;
       s.bitsStored = 16;
       s.signal = 20000;
       s.noise = 90;
       s.heel = 0.2;
       s.aluminium = {SquareAt(s, 40, 10, 20)};
     }},
    {"near the lateral edge, collimated", false,
     [](ExposurePlan& s) {
       s.chestWall = Edge::Right;
       s.collimation = {60, 40, 0, 50};
       s.aluminium = {SquareAt(s, 70, 62, 20)};
     }},
    {"0.05 mm, 10 mm square", false,
     [](ExposurePlan& s) {
       s.width = 3328;
       s.height = 2560;
       s.pixelSpacingMm = 0.05;
       s.bitsStored = 16;
       s.signal = 12000;
       s.noise = 200;
       s.objectEdgeBlur = 2.5;
       s.aluminium = {SquareAt(s, 60, 0, 12)};
     }},
    {"lead marker where BG would go", false,
     [](ExposurePlan& s) { s.markers = {RectangleAt(s, 60, -18, 12, 8)}; }},
    {"lead marker touching the square", false,
     [](ExposurePlan& s) { s.markers = {RectangleAt(s, 64, 12, 10, 8)}; }},
    {"dead row beside, dead column through both", false,
     [](ExposurePlan& s) {
       s.deadLines = {{false, 760, 2, 0}, {true, 620, 1, (1 << s.bitsStored) - 1}};
     }},
    {"dead pixels scattered", false,
     [](ExposurePlan& s) {
       for (int i = 0; i < 400; ++i)
         s.deadPixels.push_back({(i * 7919 + 300) % s.width, (i * 104729 + 500) % s.height});
     }},
    {"paddle edge across the square", false,
     [](ExposurePlan& s) { s.paddle = exposure_test::PaddleEdge{63, 0.96}; }},
    {"paddle edge beside the square", false,
     [](ExposurePlan& s) { s.paddle = exposure_test::PaddleEdge{75, 0.95}; }},
    {"second square where BG would go", false,
     [](ExposurePlan& s) { s.aluminium.push_back(SquareAt(s, 60, -30, 15)); }},
    {"correlated noise (blur 0.8 pixels), a 2 mm penumbra", false,
     [](ExposurePlan& s) {
       s.noiseBlur = 0.8;
       s.collimation = {0, 60, 100, 40};
       s.penumbra = 20;
     }},
    {"tile seam at the square's edge, on the side BG would go", false,
     [](ExposurePlan& s) { s.seams = {{false, 797, 0.97}}; }},
    {"tile seam at the square's edge, on the other side", false,
     [](ExposurePlan& s) { s.seams = {{false, 1004, 1.03}}; }},
    {"magnification field, MONOCHROME1", false,
     [](ExposurePlan& s) {
       s.monochrome1 = true;
       s.collimation = {0, 400, 1200, 450};
       s.penumbra = 15;
     }},
    {"gain blob where BG would go", false,
     [](ExposurePlan& s) { s.blobs = {{600, 700, 60, 0.05}}; }},
    {"bright ghost of a larger square where BG would go", false,
     [](ExposurePlan& s) { s.ghosts = {{Roi{460, 420, 280, 360}, 1.015}}; }},
    {"a lead marker and no aluminium", true,
     [](ExposurePlan& s) {
       s.aluminium.clear();
       s.markers = {RectangleAt(s, 60, 0, 14, 14)};
     }},
    {"no aluminium", true, [](ExposurePlan& s) { s.aluminium.clear(); }},
};

TEST(RealisticPlacement, RightWhereAPlaceIsCleanAndWarnedWhereNot) {
  std::uint64_t seed = 1;
  for (const Case& test : Cases) {
    ExposurePlan plan;
    plan.objectEdgeBlur = 1.5;
    plan.aluminium = {SquareAt(plan, 60, 0, 20)};
    test.change(plan);
    SCOPED_TRACE(test.name);
    const exposure_test::Exposure exposure = exposure_test::Render(plan, ++seed);
    const imaging::ExposureSurvey survey = imaging::SurveyExposure(
        exposure.pixels(), plan.bitsStored,
        plan.monochrome1 ? imaging::Photometric::Monochrome1 : imaging::Photometric::Monochrome2,
        ContextOf(plan));
    const imaging::RoiPlacement placed = imaging::PlaceRois(survey);
    const auto warnings = imaging::CheckMeasurement(survey, ContextOf(plan), placed.aluminium,
                                                    placed.background);
    // The reference: "BG" beside the object at the same distance from the chest wall, on a
    // detector without faults, which are no part of what the test object shows.
    ExposurePlan faultless = plan;
    faultless.deadLines.clear();
    faultless.deadPixels.clear();
    const std::optional<Roi> reference =
        exposure_test::ReferenceBackground(faultless, placed.aluminium);
    const double sdnr = exposure_test::ExpectedSdnr(plan, placed.aluminium, placed.background);
    const double expected =
        reference ? exposure_test::ExpectedSdnr(faultless, placed.aluminium, *reference) : NAN;
    const double error = sdnr / expected - 1;
    const bool onAluminium = !plan.aluminium.empty() && plan.aluminium[0].contains(placed.aluminium);
    const bool right = onAluminium && std::abs(error) <= LargestClean;
    std::printf("%-45s wall %d/%d  Al %-14s BG %-14s SDNR %6.2f ref %6.2f (%+5.1f %%)  %s\n",
                test.name, static_cast<int>(survey.chestWall.edge),
                static_cast<int>(survey.chestWall.evidence), Text(placed.aluminium).c_str(),
                Text(placed.background).c_str(), sdnr, expected, 100 * error,
                imaging::JoinedWarnings(warnings).c_str());
    if (test.warned) {
      EXPECT_FALSE(warnings.empty()) << "silently wrong";
    } else {
      EXPECT_EQ(static_cast<int>(survey.chestWall.edge), static_cast<int>(plan.chestWall));
      EXPECT_TRUE(right);
      EXPECT_EQ(imaging::JoinedWarnings(warnings), "");
    }
  }
}

// The worked example of PlaceRois, to the pixel: the cross build runs it on another processor.
TEST(RealisticPlacement, TheWorkedExampleToThePixel) {
  ExposurePlan plan;
  plan.objectEdgeBlur = 1.5;
  plan.aluminium = {SquareAt(plan, 60, 0, 20)};
  const exposure_test::Exposure exposure = exposure_test::Render(plan, 1);
  const imaging::RoiPlacement placed = imaging::PlaceRois(imaging::SurveyExposure(
      exposure.pixels(), plan.bitsStored, imaging::Photometric::Monochrome2, ContextOf(plan)));
  EXPECT_EQ(plan.aluminium[0], (Roi{500, 800, 200, 200}));
  EXPECT_EQ(placed.aluminium, (Roi{510, 810, 180, 180}));
  EXPECT_EQ(placed.background, (Roi{510, 610, 180, 180}));
}

}  // namespace

namespace {

// The checks' texts for "BG" off the object's background: a step, a bump, or a background
// uneven under the object itself.
bool SaysBackgroundDeparts(const std::string& warnings) {
  return warnings.starts_with("Zwischen dem Aluminiumobjekt und der ROI „BG“ ändert sich") ||
         warnings.starts_with("Die ROI „BG“ liegt auf einer örtlichen Erhöhung oder Senke") ||
         warnings.starts_with("Der Hintergrund unter dem Aluminiumobjekt ist ungleichmäßig");
}

// "BG" set by hand beside the default square: the checks must say that a seam or a patch of
// uneven gain between or under the two moves "BG" off the object's background, wherever it runs,
// and say nothing on a smooth background however steep its fall-off against a faint object.
TEST(RealisticPlacement, TheChecksNameWhatLiesBetweenTheObjectAndBg) {
  const Roi above{510, 610, 180, 180};
  const Roi below{510, 1010, 180, 180};
  struct BackgroundCase {
    const char* name;
    Roi background;
    std::function<void(ExposurePlan&)> change;
    bool departs;  // else no warning at all
  };
  const BackgroundCase cases[] = {
      {"seam at the square's edge towards BG", above,
       [](ExposurePlan& s) { s.seams = {{false, 797, 0.97}}; }, true},
      {"seam midway", above, [](ExposurePlan& s) { s.seams = {{false, 795, 1.03}}; }, true},
      {"seam at the square's other edge", above,
       [](ExposurePlan& s) { s.seams = {{false, 1004, 1.03}}; }, false},
      {"seam beyond BG", below, [](ExposurePlan& s) { s.seams = {{false, 1300, 0.97}}; }, false},
      {"gain blob under BG", above,
       [](ExposurePlan& s) { s.blobs = {{600, 640, 70, 0.006}}; }, true},
      {"wide gain blob reaching under the square", above,
       [](ExposurePlan& s) { s.blobs = {{600, 700, 200, 0.006}}; }, true},
      {"steep fall-off, faint square off the middle", below,
       [](ExposurePlan& s) {
         s.lateralFalloff = 0.05, s.heel = 0.25, s.aluminiumTransmission = 0.96;
         s.aluminium = {SquareAt(s, 60, -25, 20)};
       },
       false},
  };
  std::uint64_t seed = 100;
  for (const BackgroundCase& c : cases) {
    SCOPED_TRACE(c.name);
    ExposurePlan plan;
    plan.objectEdgeBlur = 1.5;
    plan.aluminium = {SquareAt(plan, 60, 0, 20)};
    c.change(plan);
    const exposure_test::Exposure exposure = exposure_test::Render(plan, ++seed);
    const imaging::ExposureSurvey survey = imaging::SurveyExposure(
        exposure.pixels(), plan.bitsStored, imaging::Photometric::Monochrome2, ContextOf(plan));
    const Roi aluminium{plan.aluminium[0].x + 10, plan.aluminium[0].y + 10, 180, 180};
    const std::string warnings = imaging::JoinedWarnings(
        imaging::CheckMeasurement(survey, ContextOf(plan), aluminium, c.background));
    if (c.departs)
      EXPECT_TRUE(SaysBackgroundDeparts(warnings)) << warnings;
    else
      EXPECT_EQ(warnings, "");
  }
}

}  // namespace
