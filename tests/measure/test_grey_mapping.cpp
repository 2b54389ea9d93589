// The lookup table from stored values to screen greys, with hand-computed greys from DICOM's
// linear window function, and the automatic window.
#include <gtest/gtest.h>

#include <array>
#include <utility>
#include <vector>

#include "imaging/roi.h"
#include "measure/grey_mapping.h"
#include "test_image.h"

namespace {

using imaging::Photometric;

TEST(GreyMapping, TableFollowsTheFileWindow) {
  struct Case {
    Photometric photometric;
    std::int64_t slope, intercept;
    std::int32_t offset;
    double center, width;
    std::uint16_t stored;
    int grey;
  };
  constexpr auto M1 = Photometric::Monochrome1;
  constexpr auto M2 = Photometric::Monochrome2;
  const Case cases[] = {
      // Centre 100, width 21: black up to 89.5, white above 109.5.
      {M2, 1, 0, 0, 100, 21, 0, 0},
      {M2, 1, 0, 0, 100, 21, 89, 0},
      {M2, 1, 0, 0, 100, 21, 90, 6},
      {M2, 1, 0, 0, 100, 21, 100, 134},
      {M2, 1, 0, 0, 100, 21, 109, 249},
      {M2, 1, 0, 0, 100, 21, 110, 255},
      {M2, 1, 0, 0, 100, 21, 65535, 255},
      {M1, 1, 0, 0, 100, 21, 89, 255},
      {M1, 1, 0, 0, 100, 21, 100, 121},
      {M1, 1, 0, 0, 100, 21, 110, 0},
      // The window is in modality values: 2 * 100 - 100 = 100.
      {M2, 2, -100, 0, 100, 21, 100, 134},
      {M2, 2, -100, 0, 100, 21, 94, 0},
      // Offset binary: 32868 stands for the signed value 100.
      {M2, 1, 0, 32768, 100, 21, 32868, 134},
      {M2, 1, 0, 32768, 100, 21, 100, 0},
      // Width 1 is a threshold.
      {M2, 1, 0, 0, 100, 1, 99, 0},
      {M2, 1, 0, 0, 100, 1, 100, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "stored " << c.stored << ", centre " << c.center << ", width " << c.width
                 << ", slope " << c.slope << ", offset " << c.offset);
    TestImage input(1, 1, {0});
    input.photometric = c.photometric;
    input.window = imaging::DisplayWindow{c.center, c.width};
    input.slope = c.slope;
    input.intercept = c.intercept;
    input.offset = c.offset;
    const imaging::DicomImage image = input.make();
    const measure::GreyTable table = measure::MakeGreyTable(image, *input.window);
    EXPECT_EQ(table.greys[c.stored], c.grey);
    // Here exactly the values the window clips show black or white.
    const bool inside = c.stored >= table.firstInside && c.stored <= table.lastInside;
    EXPECT_EQ(inside, c.grey > 0 && c.grey < 255);
  }
}

// 10 20 30 40 / 50 60 70 80, too small for a border: the automatic window spans the whole
// image, its smallest modality value a quarter of the span above the window's lower end (give or
// take DICOM's half-pixel convention, which shows in so narrow a window).
TEST(GreyMapping, AutomaticWindowSpansTheImageWithAMargin) {
  struct Case {
    Photometric photometric;
    std::int64_t slope;
    std::uint16_t darkest, brightest;
  };
  const Case cases[] = {
      {Photometric::Monochrome2, 1, 10, 80},
      {Photometric::Monochrome1, 1, 80, 10},
      {Photometric::Monochrome2, -1, 80, 10},
  };
  constexpr double EndGrey = 255 * 0.25 / 1.5;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "darkest " << c.darkest << ", brightest " << c.brightest);
    TestImage input(4, 2, {10, 20, 30, 40, 50, 60, 70, 80});
    input.photometric = c.photometric;
    input.slope = c.slope;
    const imaging::DicomImage image = input.make();
    const auto table = measure::MakeGreyTable(image, measure::AutomaticDisplayWindow(image));
    EXPECT_NEAR(table.greys[c.darkest], EndGrey, 3);
    EXPECT_NEAR(table.greys[c.brightest], 255 - EndGrey, 3);
    EXPECT_NEAR(table.greys[(c.darkest + c.brightest) / 2], 128, 2);
  }
}

// Uniform noise from 1000 to 1255 with a brighter square, 1200 × 900, spoilt in each way that
// must not move the automatic window: the window stays within 2 % of its width of the clean one.
TEST(GreyMapping, AutomaticWindowIgnoresOutliersDeadLinesBordersAndMarkers) {
  constexpr int Width = 1200;
  constexpr int Height = 900;
  TestImage clean(Width, Height);
  std::uint32_t state = 4711;
  for (int y = 0; y < Height; ++y) {
    for (int x = 0; x < Width; ++x) {
      state = state * 1664525u + 1013904223u;
      const bool object = x >= 450 && x < 750 && y >= 300 && y < 600;
      clean.values.push_back(static_cast<std::uint16_t>(1000 + (state >> 24) + (object ? 200 : 0)));
    }
  }
  // A rectangle of one value, or unexposed: the dark level with a little noise of its own.
  struct Patch {
    imaging::Roi area;
    int value;
  };
  constexpr int Unexposed = -1;
  const std::pair<const char*, std::vector<Patch>> cases[] = {
      {"outlier pixels in the object", {{{600, 450, 1, 1}, 0}, {{601, 450, 1, 1}, 65535}}},
      {"dead column", {{{123, 0, 1, Height}, 0}}},
      {"dead row", {{{0, 77, Width, 1}, 4095}}},
      {"collimated left and top",
       {{{0, 0, 120, Height}, Unexposed}, {{0, 0, Width, 60}, Unexposed}}},
      {"lead marker", {{{1050, 100, 40, 30}, Unexposed}}},
      {"all of them",
       {{{0, 0, Width, 60}, Unexposed},
        {{1050, 100, 40, 30}, Unexposed},
        {{0, 777, Width, 1}, 4095},
        {{123, 0, 1, Height}, 0}}},
  };
  const imaging::DisplayWindow expected = measure::AutomaticDisplayWindow(clean.make());
  for (const auto& [name, patches] : cases) {
    SCOPED_TRACE(name);
    TestImage spoilt = clean;
    for (const auto& [area, value] : patches) {
      for (int y = area.y; y < area.bottom(); ++y) {
        for (int x = area.x; x < area.right(); ++x) {
          spoilt.values[static_cast<std::size_t>(y) * Width + x] =
              static_cast<std::uint16_t>(value == Unexposed ? 20 + (x * 7 + y * 3) % 16 : value);
        }
      }
    }
    const imaging::DisplayWindow window = measure::AutomaticDisplayWindow(spoilt.make());
    EXPECT_NEAR(window.center, expected.center, 0.02 * expected.width);
    EXPECT_NEAR(window.width, expected.width, 0.02 * expected.width);
  }
  // In modality values.
  TestImage rescaled = clean;
  rescaled.slope = 2;
  rescaled.intercept = -100;
  const imaging::DisplayWindow modality = measure::AutomaticDisplayWindow(rescaled.make());
  EXPECT_DOUBLE_EQ(modality.center, 2 * expected.center - 100);
  EXPECT_DOUBLE_EQ(modality.width, 2 * expected.width);
}

}  // namespace
