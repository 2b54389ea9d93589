// The exposed field of realistic exposures: collimated strips on none to three edges, under a
// heel either way, in 12 to 16 bits, inverted, signed, and beside what must not pass for a
// border: a paddle edge, lead markers, dead lines, the aluminium.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "imaging/exposed_field.h"
#include "realistic_exposure.h"

namespace {

using exposure_test::Edge;
using exposure_test::ExposurePlan;
using exposure_test::PaddleEdge;

constexpr int Tolerance = 3;  // pixels, for each edge of the field
constexpr int SignedZero = 32768;  // of 16 bits stored

TEST(ExposedField, FindsTheCollimatedStripsAndNothingElse) {
  struct Case {
    const char* name;
    std::function<void(ExposurePlan&)> shape;
    bool signedValues = false;       // stored as signed 16-bit values, in offset binary
    bool stepsFarAboveNoise = true;  // else the strips are no borders
  };
  const Case cases[] = {
      {"open field", [](ExposurePlan&) {}},
      {"three edges",
       [](ExposurePlan& s) {
         s.collimation = {0, 60, 100, 40};
       }},
      {"three edges, MONOCHROME1",
       [](ExposurePlan& s) {
         s.collimation = {0, 60, 100, 40};
         s.monochrome1 = true;
       }},
      {"16 bits, MONOCHROME1, heel 25 %",
       [](ExposurePlan& s) {
         s.bitsStored = 16;
         s.signal = 20000, s.darkLevel = 500, s.noise = 120, s.heel = 0.25;
         s.collimation = {0, 30, 2, 300};
         s.monochrome1 = true;
       }},
      {"heel 25 % from the right",
       [](ExposurePlan& s) {
         s.heel = 0.25;
         s.chestWall = Edge::Right;
         s.collimation = {30, 0, 0, 0};
       }},
      {"heel 25 % from the top, strips of 2",
       [](ExposurePlan& s) {
         s.heel = 0.25;
         s.chestWall = Edge::Top;
         s.collimation = {2, 0, 2, 200};
       }},
      {"12 bits, strips of 5, aluminium",
       [](ExposurePlan& s) {
         s.bitsStored = 12;
         s.signal = 1500, s.darkLevel = 40, s.noise = 20;
         s.collimation = {0, 5, 5, 5};
         s.aluminium = {{600, 700, 200, 200}};
       }},
      {"12 bits, MONOCHROME1, dark level half the signal",
       [](ExposurePlan& s) {
         s.bitsStored = 12;
         s.signal = 1200, s.darkLevel = 600, s.noise = 20;
         s.collimation = {0, 70, 70, 70};
         s.monochrome1 = true;
       }},
      {"magnification field, a third of the detector",
       [](ExposurePlan& s) {
         s.collimation = {0, 550, 1150, 600};
         s.penumbra = 20;
       }},
      {"magnification field, MONOCHROME1, signal over half the range",
       [](ExposurePlan& s) {
         s.signal = 9000, s.darkLevel = 300, s.noise = 60;
         s.collimation = {1300, 500, 0, 450};
         s.monochrome1 = true;
       }},
      {"paddle edge 3 %",
       [](ExposurePlan& s) {
         s.paddle = PaddleEdge{200, 0.97};
       }},
      {"paddle edge 8 %, heel 25 %, little noise",
       [](ExposurePlan& s) {
         s.paddle = PaddleEdge{180, 0.92};
         s.heel = 0.25, s.noise = 5;
         s.collimation = {0, 50, 0, 0};
       }},
      {"markers and dead lines",
       [](ExposurePlan& s) {
         s.markers = {{10, 10, 80, 120}, {2200, 1500, 100, 100}};
         s.deadLines = {{true, 3, 1, 0}, {true, 1200, 1, 16383}, {false, 900, 1, 0}};
         s.collimation = {0, 0, 40, 0};
       }},
      {"bright object over the middle, as on a phantom",
       [](ExposurePlan& s) {
         s.aluminium = {{500, 300, 1400, 1200}};
         s.aluminiumTransmission = 1.6;
       }},
      {"MONOCHROME1, dead lines at an edge and in a strip",
       [](ExposurePlan& s) {
         s.monochrome1 = true;
         s.collimation = {0, 0, 60, 50};
         s.deadLines = {{false, 1799, 1, 0}, {true, 2385, 1, 0}};
       }},
      {"strips too weak to tell from the noise",
       [](ExposurePlan& s) {
         s.signal = 150, s.darkLevel = 40, s.noise = 25;
         s.collimation = {0, 60, 0, 60};
       },
       false, false},
      {"dead lines along two edges",
       [](ExposurePlan& s) {
         s.deadLines = {{true, 0, 1, 0}, {false, 1799, 1, 16383}};
       }},
      {"signed",
       [](ExposurePlan& s) {
         s.collimation = {0, 0, 80, 80};
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExposurePlan plan;
    c.shape(plan);
    exposure_test::Exposure exposure = exposure_test::Render(plan, 11);
    imaging::PixelView pixels = exposure.pixels();
    if (c.signedValues) {
      for (std::uint16_t& value : exposure.stored)
        value = static_cast<std::uint16_t>(value + SignedZero);
      pixels.offset = SignedZero;
    }
    const imaging::ExposedField found =
        imaging::FindExposedField(pixels, c.signedValues ? 16 : plan.bitsStored);

    const auto strip = [&](Edge edge) {
      return c.stepsFarAboveNoise ? plan.collimation[static_cast<std::size_t>(edge)] : 0;
    };
    const auto inset = [&](Edge edge) {
      return strip(edge) > 0 ? strip(edge) + static_cast<int>(plan.penumbra) : 0;
    };
    bool anyBorder = false;
    for (const Edge edge : {Edge::Left, Edge::Top, Edge::Right, Edge::Bottom}) {
      EXPECT_EQ(found.border[static_cast<std::size_t>(edge)], strip(edge) > 0)
          << "edge " << static_cast<int>(edge);
      anyBorder = anyBorder || strip(edge) > 0;
    }
    EXPECT_NEAR(found.field.x, inset(Edge::Left), Tolerance);
    EXPECT_NEAR(found.field.y, inset(Edge::Top), Tolerance);
    EXPECT_NEAR(found.field.right(), plan.width - inset(Edge::Right), Tolerance);
    EXPECT_NEAR(found.field.bottom(), plan.height - inset(Edge::Bottom), Tolerance);
    ASSERT_EQ(found.borderLevel.has_value(), anyBorder);
    if (anyBorder) {
      const double noDose = plan.monochrome1 ? (1 << plan.bitsStored) - 1 - plan.darkLevel
                                             : plan.darkLevel + (c.signedValues ? SignedZero : 0);
      EXPECT_NEAR(*found.borderLevel, noDose, plan.noise);
    }
  }
}

}  // namespace
