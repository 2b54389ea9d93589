// Automatic ROI placement on generated exposures: a field with pixel noise, an optional heel-effect
// slope and an optional rectangular object brighter or darker than the field.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "imaging/roi_placement.h"

namespace {

using imaging::PixelView;
using imaging::Roi;
using imaging::RoiPlacement;

struct Exposure {
  int width = 0;
  int height = 0;
  std::int32_t offset = 0;  // 32768 for a signed image
  double level = 0;         // field at the centre, in signed stored values
  double noise = 0;         // standard deviation per pixel
  double heel = 0;          // the field rises by exp(heel) from one side to the other
  double heelAngle = 0;
  Roi object;           // empty for none
  double contrast = 0;  // object minus field
};

// Normal deviates from a table picked by a fast generator: drawing each pixel's noise exactly
// would take most of the test's time.
class NoiseSource {
 public:
  explicit NoiseSource(std::uint64_t seed) : state_(seed | 1) {
    std::mt19937 random(7);
    std::normal_distribution<double> normal;
    for (double& value : table_) value = normal(random);
  }
  double next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return table_[state_ >> 48];
  }

 private:
  std::array<double, 65536> table_;
  std::uint64_t state_;
};

std::vector<std::uint16_t> Render(const Exposure& e, NoiseSource& noise) {
  // The slope is separable: exp(a x + b y) = exp(a x) exp(b y).
  std::vector<double> alongX(static_cast<std::size_t>(e.width));
  std::vector<double> alongY(static_cast<std::size_t>(e.height));
  for (int x = 0; x < e.width; ++x)
    alongX[x] = std::exp(e.heel * std::cos(e.heelAngle) * ((x + 0.5) / e.width - 0.5));
  for (int y = 0; y < e.height; ++y)
    alongY[y] = std::exp(e.heel * std::sin(e.heelAngle) * ((y + 0.5) / e.height - 0.5));
  std::vector<std::uint16_t> values;
  values.reserve(alongX.size() * alongY.size());
  for (int y = 0; y < e.height; ++y) {
    for (int x = 0; x < e.width; ++x) {
      const bool inObject = e.object.contains(Roi{x, y, 1, 1});
      const double value = e.offset + e.level * alongX[x] * alongY[y] +
                           (inObject ? e.contrast : 0) + e.noise * noise.next();
      values.push_back(static_cast<std::uint16_t>(std::clamp(value + 0.5, 0.0, 65535.0)));
    }
  }
  return values;
}

RoiPlacement Place(const PixelView& image) {
  return imaging::PlaceRois(
      imaging::SurveyExposure(image, 16, imaging::Photometric::Monochrome2, {}));
}

RoiPlacement Place(const Exposure& e, const std::vector<std::uint16_t>& values) {
  return Place(PixelView{e.width, e.height, values, e.offset});
}

// The same exposure in the other photometric interpretation: stored values mirrored.
std::vector<std::uint16_t> Inverted(std::vector<std::uint16_t> values) {
  for (std::uint16_t& value : values) value = static_cast<std::uint16_t>(65535 - value);
  return values;
}

testing::Message Describe(const Exposure& e) {
  return testing::Message() << e.width << "x" << e.height << " offset " << e.offset << " level "
                            << e.level << " noise " << e.noise << " heel " << e.heel << " object ("
                            << e.object.x << "," << e.object.y << " " << e.object.width << "x"
                            << e.object.height << ") contrast " << e.contrast;
}

TEST(RoiPlacement, FindsObjectsAtAnyPlaceContrastAndPolarity) {
  std::mt19937 random(20240611);
  NoiseSource noise(99);
  const auto uniform = [&](double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
  };
  const auto whole = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  for (int run = 0; run < 200; ++run) {
    Exposure e;
    const bool large = run % 40 == 0;  // a coarser block grid
    e.width = large ? whole(2000, 2600) : whole(360, 900);
    e.height = large ? whole(1700, 2400) : whole(320, 800);
    e.offset = run % 2 ? 32768 : 0;
    e.level = e.offset ? uniform(-2000, 2000) : uniform(500, 8000);
    e.noise = uniform(4, 60);
    e.heel = run % 3 ? uniform(-0.2, 0.2) : 0;
    e.heelAngle = uniform(0, 6.3);
    const int objectWidth = whole(64, e.width * 2 / 5);
    const int objectHeight = whole(64, e.height * 2 / 5);
    e.object = {whole(16, e.width - objectWidth - 16), whole(16, e.height - objectHeight - 16),
                objectWidth, objectHeight};
    e.contrast = uniform(2, 20) * e.noise * (run % 4 < 2 ? 1 : -1);
    SCOPED_TRACE(Describe(e));

    const std::vector<std::uint16_t> values = Render(e, noise);
    const RoiPlacement placed = Place(e, values);
    ASSERT_TRUE(placed.object.has_value());
    EXPECT_TRUE(e.object.contains(*placed.object));
    const Roi& al = placed.aluminium;
    const Roi& bg = placed.background;
    EXPECT_EQ(al.width, al.height);
    EXPECT_EQ(bg.width, al.width);
    EXPECT_EQ(bg.height, al.height);
    EXPECT_TRUE(al.fitsIn(e.width, e.height));
    EXPECT_TRUE(bg.fitsIn(e.width, e.height));
    EXPECT_TRUE(e.object.contains(al));
    EXPECT_FALSE(e.object.overlaps(bg));
    EXPECT_GE(al.width, std::min({imaging::DefaultRoiSize, objectWidth / 2, objectHeight / 2}));

    const RoiPlacement inverted = Place(e, Inverted(values));
    EXPECT_EQ(inverted.aluminium, al);
    EXPECT_EQ(inverted.background, bg);
    EXPECT_EQ(inverted.object, placed.object);
  }
}

// Without an object both go side by side about the centre, of the default size where it fits.
TEST(RoiPlacement, WithoutObjectPlacesBothAtCentre) {
  struct Row {
    int width, height;
    std::int32_t offset;
    double level, noise, heel, heelAngle;
  };
  const Row rows[] = {
      {800, 600, 0, 3000, 30, 0, 0},          // pure noise
      {600, 900, 32768, -200, 8, 0, 0},       // signed, low noise
      {900, 700, 0, 6000, 20, 0.2, 0},        // heel effect across
      {700, 900, 0, 6000, 10, -0.2, 1.5708},  // heel effect down, little noise
      {1000, 800, 32768, 1500, 5, 0.15, 0.7},
      {2600, 2100, 0, 3000, 40, 0.2, 2.5},  // coarser block grid
      {800, 600, 0, 3000, 0, 0.1, 0.3},     // noiseless slope
      {50, 40, 0, 1000, 10, 0, 0},          // smaller than two ROIs
      {7, 300, 0, 1000, 10, 0, 0},
      {2, 1, 0, 1000, 10, 0, 0},
      {1, 2, 0, 1000, 10, 0, 0},
      {1, 1, 0, 1000, 10, 0, 0},
  };
  NoiseSource noise(5);
  for (const Row& row : rows) {
    const Exposure e{row.width, row.height,    row.offset, row.level, row.noise,
                     row.heel,  row.heelAngle, Roi{},      0};
    SCOPED_TRACE(Describe(e));
    const RoiPlacement placed = Place(e, Render(e, noise));
    const Roi& al = placed.aluminium;
    const Roi& bg = placed.background;
    EXPECT_FALSE(placed.object.has_value());
    EXPECT_TRUE(al.fitsIn(e.width, e.height));
    EXPECT_TRUE(bg.fitsIn(e.width, e.height));
    EXPECT_EQ(al.width, al.height);
    EXPECT_EQ(bg.width, al.width);
    EXPECT_EQ(bg.height, al.height);
    if (e.width * e.height > 1) {
      EXPECT_FALSE(al.overlaps(bg));
    }
    if (e.width >= 500 && e.height >= 500) {
      EXPECT_EQ(al.width, imaging::DefaultRoiSize);
    }
    // The pair's bounding box is centred to within a pixel.
    const int left = std::min(al.x, bg.x);
    const int top = std::min(al.y, bg.y);
    const int right = std::max(al.right(), bg.right());
    const int bottom = std::max(al.bottom(), bg.bottom());
    EXPECT_LE(std::abs(left + right - e.width), 1);
    EXPECT_LE(std::abs(top + bottom - e.height), 1);
  }
}

TEST(RoiPlacement, EmptyImageGivesEmptyRois) {
  const RoiPlacement placed = Place(PixelView{});
  EXPECT_EQ(placed.aluminium.count(), 0);
  EXPECT_EQ(placed.background.count(), 0);
  EXPECT_FALSE(placed.object.has_value());
}

}  // namespace
