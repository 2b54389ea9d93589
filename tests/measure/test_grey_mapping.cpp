// The lookup table from stored values to screen greys, with hand-computed greys from DICOM's
// linear window function.
#include <gtest/gtest.h>

#include <array>

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
    const imaging::DisplayWindow window = measure::ChooseDisplayWindow(image, {});
    EXPECT_EQ(window.center, c.center);
    EXPECT_EQ(window.width, c.width);
    EXPECT_EQ(measure::GreyTable(image, window)[c.stored], c.grey);
  }
}

// 10 20 30 40 / 50 60 70 80: the ROIs' smallest modality value shows black, their largest white.
TEST(GreyMapping, WithoutFileWindowTheRoisSpanBlackToWhite) {
  struct Case {
    Photometric photometric;
    std::int64_t slope;
    std::array<imaging::Roi, 2> rois;
    std::uint16_t black, white;
  };
  const imaging::Roi first{0, 0, 1, 1}, last{3, 1, 1, 1}, middle{1, 0, 2, 2};
  const Case cases[] = {
      {Photometric::Monochrome2, 1, {first, last}, 10, 80},
      {Photometric::Monochrome2, 1, {middle, middle}, 20, 70},
      {Photometric::Monochrome1, 1, {first, last}, 80, 10},
      {Photometric::Monochrome2, -1, {first, last}, 80, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "black " << c.black << ", white " << c.white);
    TestImage input(4, 2, {10, 20, 30, 40, 50, 60, 70, 80});
    input.photometric = c.photometric;
    input.slope = c.slope;
    const imaging::DicomImage image = input.make();
    const auto table = measure::GreyTable(image, measure::ChooseDisplayWindow(image, c.rois));
    EXPECT_EQ(table[c.black], 0);
    EXPECT_EQ(table[c.white], 255);
    // Beyond the range on either side.
    const int outward = c.black < c.white ? -1 : 1;
    EXPECT_EQ(table[c.black + outward], 0);
    EXPECT_EQ(table[c.white - outward], 255);
    // Half-way up the range by the linear function's half-pixel convention.
    EXPECT_NEAR(table[(c.black + c.white) / 2], 128, 2);
  }
}

}  // namespace
