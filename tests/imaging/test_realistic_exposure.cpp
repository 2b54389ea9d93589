// The realistic exposures against their own noiseless model: rendered statistics within the
// noise's tolerance of the expectations, the chest wall and the heel effect where they belong,
// and the reference background where a physicist would put it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

#include "realistic_exposure.h"

namespace {

using exposure_test::Edge;
using exposure_test::ExpectedNoise;
using exposure_test::ExpectedValue;
using exposure_test::ExposurePlan;
using imaging::Roi;

struct Measured {
  double mean = 0;
  double sd = 0;  // sample standard deviation, as the measurement reports it
};

Measured Measure(const exposure_test::Exposure& exposure, const Roi& roi) {
  std::vector<double> values;
  for (int y = roi.y; y < roi.bottom(); ++y) {
    const auto row = exposure.pixels().row(y);
    values.insert(values.end(), row.begin() + roi.x, row.begin() + roi.right());
  }
  double sum = 0;
  for (const double value : values) sum += value;
  const double mean = sum / static_cast<double>(values.size());
  double squares = 0;
  for (const double value : values) squares += (value - mean) * (value - mean);
  return {mean, std::sqrt(squares / static_cast<double>(values.size() - 1))};
}

// 2400 × 1800 at 0.1 mm, chest wall right: every kind of feature in one exposure.
ExposurePlan EverythingAtOnce() {
  ExposurePlan plan;
  plan.chestWall = Edge::Right;
  plan.objectEdgeBlur = 1.5;
  plan.aluminium = {exposure_test::SquareAt(plan, 60, 0, 20)};       // x 1700…1899, y 800…999
  plan.markers = {exposure_test::RectangleAt(plan, 60, 40, 12, 8)};  // x 1740…1859, y 1260…1339
  plan.collimation[static_cast<int>(Edge::Top)] = 50;
  plan.deadLines = {{false, 1400, 3, 0}};
  plan.deadPixels = {{1350, 1350}};
  plan.paddle = exposure_test::PaddleEdge{150, 0.96};  // x 900 is 150 mm out
  return plan;
}

// The model itself, in the physicist's terms: the signal above the dark level at one pixel
// relative to another.
TEST(RealisticExposure, ModelAttenuatesAsTheObjectsDo) {
  const ExposurePlan plan = EverythingAtOnce();
  const auto signal = [&](int x, int y) {
    return exposure_test::ExpectedValue(plan, x, y) - plan.darkLevel;
  };
  struct Row {
    const char* what;
    int x, y, referenceX, referenceY;
    double ratio, tolerance;  // the tolerance covers the heel and lateral fall-off between them
  };
  const Row rows[] = {
      {"aluminium", 1800, 900, 1800, 700, plan.aluminiumTransmission, 0.002},
      {"lead marker", 1800, 1300, 1800, 500, 0.03, 0.002},
      {"beyond the paddle's edge", 879, 600, 919, 600, 0.96, 0.005},
      {"last unexposed row", 1000, 49, 1000, 60, 0, 0},
      {"first fully exposed row", 1000, 53, 1000, 60, 1, 0.002},
      {"dead line", 1000, 1401, 1000, 1300, -plan.darkLevel / signal(1000, 1300), 0},
  };
  for (const Row& row : rows) {
    EXPECT_NEAR(signal(row.x, row.y) / signal(row.referenceX, row.referenceY), row.ratio,
                row.tolerance)
        << row.what;
  }
}

TEST(RealisticExposure, RoiStatisticsAgreeWithTheModel) {
  ExposurePlan plan = EverythingAtOnce();
  struct Row {
    const char* what;
    Roi roi;
  };
  const Row rows[] = {
      {"open field near the chest wall", exposure_test::SquareAt(plan, 15, -40, 20)},
      {"open field far out, beyond the paddle", exposure_test::SquareAt(plan, 200, 40, 20)},
      {"on the aluminium", exposure_test::SquareAt(plan, 60, 0, 15)},
      {"across the aluminium's edge", exposure_test::SquareAt(plan, 70, 10, 20)},
      {"across the paddle's edge", exposure_test::SquareAt(plan, 150, -60, 10)},
      {"on the marker", exposure_test::RectangleAt(plan, 60, 40, 10, 6)},
      {"across a dead line", exposure_test::SquareAt(plan, 100, 50, 20)},
      {"around a dead pixel", Roi{1330, 1330, 40, 40}},
      {"unexposed strip", Roi{1000, 0, 200, 45}},
  };
  for (const bool monochrome1 : {false, true}) {
    plan.monochrome1 = monochrome1;
    plan.bitsStored = monochrome1 ? 16 : 14;
    const exposure_test::Exposure exposure = exposure_test::Render(plan, 42);
    for (const Row& row : rows) {
      SCOPED_TRACE(testing::Message() << row.what << (monochrome1 ? ", MONOCHROME1" : ""));
      const exposure_test::ExpectedRoi expected = exposure_test::Expected(plan, row.roi);
      const Measured measured = Measure(exposure, row.roi);
      // Five standard errors; the sd's is at most that of the mean.
      const double tolerance = 5 * expected.sd / std::sqrt(static_cast<double>(row.roi.count()));
      EXPECT_NEAR(measured.mean, expected.mean, tolerance);
      EXPECT_NEAR(measured.sd, expected.sd, tolerance);
    }
  }
  EXPECT_EQ(exposure_test::Render(plan, 42).stored, exposure_test::Render(plan, 42).stored);
}

// The detector's ways, each alone: rendered means where the model expects them, within four
// standard errors of a mean of correlated pixels, and the correlation of horizontal neighbours
// that the header's table gives for the blur, measured about the expected values.
TEST(RealisticExposure, DetectorEffectsComeOutAsModelled) {
  struct Blur {
    double sigma, correlation, meanFactor;  // as the header's table has them
  };
  constexpr Blur White{0, 0, 1}, Slight{0.3, 0.10, 1.5}, Medium{0.5, 0.42, 3.8},
      Strong{0.8, 0.71, 9.1};
  struct Row {
    const char* what;
    Blur blur;
    std::vector<Roi> rois;  // the correlation is measured on the first
    std::function<void(ExposurePlan&)> change;
  };
  const Roi flat{800, 700, 400, 400};
  const auto none = [](ExposurePlan&) {};
  const Row rows[] = {
      {"white noise", White, {flat}, none},
      {"slight blur", Slight, {flat}, none},
      {"medium blur", Medium, {flat}, none},
      {"strong blur", Strong, {flat}, none},
      {"a row seam and a column seam",
       White,
       {{1000, 700, 200, 200}, {1000, 900, 90, 200}, {1100, 900, 200, 200}, {1000, 800, 200, 200}},
       [](ExposurePlan& plan) {
         plan.seams = {{false, 900, 1.03}, {true, 1100, 0.97}};
       }},
      {"a dark blob, blurred noise",
       Medium,
       {{1150, 850, 100, 100}, {1250, 900, 150, 150}},
       [](ExposurePlan& plan) {
         plan.blobs = {{1200.5, 900.5, 100, -0.04}};
       }},
      {"a ghost brighter than the field",
       White,
       {{1050, 650, 200, 200}, {1250, 700, 100, 100}},
       [](ExposurePlan& plan) {
         plan.objectEdgeBlur = 2.5;
         plan.ghosts = {{{1000, 600, 300, 300}, 1.015}};
       }},
      {"a dead cluster",
       White,
       {{1150, 850, 100, 100}},
       [](ExposurePlan& plan) {
         plan.deadClusters = {{1200, 900, 10, 8}};
       }},
      {"penumbrae of 40 in wide strips, blurred noise",
       Medium,
       {{1000, 700, 200, 200}, {1000, 480, 200, 80}, {1540, 700, 80, 100}},
       [](ExposurePlan& plan) {
         plan.collimation = {0, 500, 800, 400};
         plan.penumbra = 40;
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ExposurePlan plan;
    plan.noiseBlur = row.blur.sigma;
    row.change(plan);
    const exposure_test::Exposure exposure = exposure_test::Render(plan, 5);
    for (const Roi& roi : row.rois) {
      SCOPED_TRACE(testing::Message() << "ROI at " << roi.x << "," << roi.y);
      double largestVariance = 0;
      for (int y = roi.y; y < roi.bottom(); ++y) {
        for (int x = roi.x; x < roi.right(); ++x) {
          largestVariance = std::max(largestVariance, std::pow(ExpectedNoise(plan, x, y), 2));
        }
      }
      const double tolerance =
          4 * std::sqrt(row.blur.meanFactor * largestVariance / static_cast<double>(roi.count()));
      const exposure_test::ExpectedRoi expected = exposure_test::Expected(plan, roi);
      const Measured measured = Measure(exposure, roi);
      EXPECT_NEAR(measured.mean, expected.mean, tolerance);
      EXPECT_NEAR(measured.sd, expected.sd, tolerance);
    }
    const Roi& first = row.rois.front();
    double products = 0, squares = 0;
    for (int y = first.y; y < first.bottom(); ++y) {
      const auto pixels = exposure.pixels().row(y);
      double left = pixels[first.x] - ExpectedValue(plan, first.x, y);
      squares += left * left;
      for (int x = first.x + 1; x < first.right(); ++x) {
        const double right = pixels[x] - ExpectedValue(plan, x, y);
        products += left * right;
        squares += right * right;
        left = right;
      }
    }
    EXPECT_NEAR(products / squares, row.blur.correlation, 0.05);
  }
}

// The chest wall, the heel effect's direction and the places measured from the chest wall, for
// every edge and both photometric interpretations.
TEST(RealisticExposure, ChestWallAndHeelComeOutAsPlanned) {
  struct Row {
    Edge edge;
    Roi nearBlock, farBlock;  // at the middle of the chest wall and opposite
    Roi square;               // 10 mm out, 5 mm along, 4 mm wide
  };
  // 600 × 400 pixels at 0.1 mm.
  const Row rows[] = {
      {Edge::Left, {0, 198, 5, 5}, {595, 198, 5, 5}, {80, 230, 40, 40}},
      {Edge::Right, {595, 198, 5, 5}, {0, 198, 5, 5}, {480, 230, 40, 40}},
      {Edge::Top, {298, 0, 5, 5}, {298, 395, 5, 5}, {330, 80, 40, 40}},
      {Edge::Bottom, {298, 395, 5, 5}, {298, 0, 5, 5}, {330, 280, 40, 40}},
  };
  for (const Row& row : rows) {
    for (const bool monochrome1 : {false, true}) {
      SCOPED_TRACE(testing::Message() << "edge " << static_cast<int>(row.edge)
                                      << (monochrome1 ? ", MONOCHROME1" : ""));
      ExposurePlan plan;
      plan.width = 600;
      plan.height = 400;
      plan.chestWall = row.edge;
      plan.monochrome1 = monochrome1;
      plan.heel = 0.2;
      plan.noise = 5;
      EXPECT_EQ(exposure_test::SquareAt(plan, 10, 5, 4), row.square);

      const exposure_test::Exposure exposure = exposure_test::Render(plan, 7);
      // Near the chest wall the dose is highest: brighter, or stored lower in MONOCHROME1.
      const double drop =
          Measure(exposure, row.nearBlock).mean - Measure(exposure, row.farBlock).mean;
      EXPECT_NEAR(monochrome1 ? -drop : drop, plan.signal * plan.heel,
                  0.03 * plan.signal * plan.heel);
      EXPECT_NEAR(exposure_test::ExpectedNoise(plan, row.nearBlock.x + 2, row.nearBlock.y + 2),
                  plan.noise, 0.01 * plan.noise);
    }
  }
}

TEST(RealisticExposure, ReferenceBackgroundBesideTheObjectClearOfMarkers) {
  struct Row {
    Edge edge;
    double alongMm;                  // of the object's and the ROI's centre
    bool markerAfter, markerBefore;  // beside the object towards higher or lower numbers
    int expectedAlong;               // of the background's first pixels; -1 for none
  };
  // 2400 × 1800 at 0.1 mm; a 20 mm object and a 10 mm ROI 60 mm out, a gap of 25 pixels.
  const Row rows[] = {
      {Edge::Left, 0, false, false, 1025},  {Edge::Left, 0, true, false, 675},
      {Edge::Right, 0, true, true, -1},     {Edge::Top, 0, false, true, 1325},
      {Edge::Bottom, 0, true, false, 975},  {Edge::Left, 40, false, false, 1075},
      {Edge::Top, -40, false, false, 925},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message()
                 << "edge " << static_cast<int>(row.edge) << " along " << row.alongMm);
    ExposurePlan plan;
    plan.chestWall = row.edge;
    plan.aluminium = {exposure_test::SquareAt(plan, 60, row.alongMm, 20)};
    if (row.markerAfter) plan.markers.push_back(exposure_test::RectangleAt(plan, 60, 15, 12, 8));
    if (row.markerBefore) plan.markers.push_back(exposure_test::RectangleAt(plan, 60, -15, 12, 8));
    const Roi al = exposure_test::SquareAt(plan, 60, row.alongMm, 10);
    const std::optional<Roi> bg = exposure_test::ReferenceBackground(plan, al);
    if (row.expectedAlong < 0) {
      EXPECT_FALSE(bg.has_value());
      continue;
    }
    ASSERT_TRUE(bg.has_value());
    const bool acrossIsX = row.edge == Edge::Left || row.edge == Edge::Right;
    EXPECT_EQ(acrossIsX ? bg->x : bg->y, acrossIsX ? al.x : al.y);  // as far from the chest wall
    EXPECT_EQ(acrossIsX ? bg->y : bg->x, row.expectedAlong);
    EXPECT_EQ(bg->width, al.width);
    EXPECT_EQ(bg->height, al.height);
    for (const Roi& marker : plan.markers) EXPECT_FALSE(marker.overlaps(*bg));

    // What the model expects is what a rendered exposure measures.
    const exposure_test::Exposure exposure = exposure_test::Render(plan, 11);
    const Measured mAl = Measure(exposure, al);
    const Measured mBg = Measure(exposure, *bg);
    const double sdnr =
        std::abs(mBg.mean - mAl.mean) / std::sqrt((mBg.sd * mBg.sd + mAl.sd * mAl.sd) / 2);
    EXPECT_NEAR(sdnr, exposure_test::ExpectedSdnr(plan, al, *bg), 0.02 * sdnr);
  }
}

}  // namespace
