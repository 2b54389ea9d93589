#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "calc/extended_ops.h"
#include "calc/number_text.h"
#include "imaging/roi_statistics.h"

namespace imaging {
namespace {

const Rescale Identity{calc::fromInt64(1), calc::fromInt64(0)};

calc::Extended parse(const char* text) {
  calc::Fpu fpu;
  return calc::ParseNumberStrict(fpu, text);
}

struct Grid {
  std::vector<std::uint16_t> values;
  PixelView view(int width, int height, std::int32_t offset) const {
    return {width, height, values, offset};
  }
};

TEST(RoiStatistics, KnownValues) {
  // Offset-binary 32769..32772 of a signed image are the stored values 1..4.
  const Grid grid{{1, 2, 9, 3, 4, 9, 9, 9, 9}};
  const Grid signedGrid{{32769, 32770, 0, 32771, 32772, 0, 0, 0, 0}};
  const Rescale halfMinus1024{parse("0.5"), parse("-1024")};
  const Rescale negativeSlope{parse("-2"), parse("0")};
  struct Case {
    PixelView image;
    Rescale rescale;
    Roi roi;
    const char* mean;
    const char* deviation;
  } cases[] = {
      {grid.view(3, 3, 0), Identity, {0, 0, 2, 2}, "2.5", "1.29099444873581"},
      {signedGrid.view(3, 3, 32768), Identity, {0, 0, 2, 2}, "2.5", "1.29099444873581"},
      {grid.view(3, 3, 0), halfMinus1024, {0, 0, 2, 2}, "-1022.75", "0.645497224367903"},
      {grid.view(3, 3, 0), negativeSlope, {0, 0, 2, 2}, "-5", "2.58198889747161"},
      {grid.view(3, 3, 0), Identity, {0, 2, 3, 1}, "9", "0"},
      {grid.view(3, 3, 0), Identity, {2, 2, 1, 1}, "9", "NAN"},  // one pixel: no sample SD
      {signedGrid.view(3, 3, 32768), Identity, {2, 2, 1, 1}, "-32768", "NAN"},
  };
  for (const Case& c : cases) {
    const RoiMeasurement m = MeasureRoi(c.image, c.rescale, c.roi);
    EXPECT_EQ(m.mean, c.mean);
    EXPECT_EQ(m.standardDeviation, c.deviation);
    EXPECT_EQ(m.count, static_cast<std::uint64_t>(c.roi.count()));
  }
}

TEST(RoiStatistics, RefusesARoiOutsideTheImage) {
  const Grid grid{std::vector<std::uint16_t>(12)};
  for (const Roi roi : {Roi{-1, 0, 2, 2}, Roi{3, 0, 2, 2}, Roi{0, 2, 2, 2}, Roi{0, 0, 0, 2}}) {
    EXPECT_THROW(SumRoi(grid.view(4, 3, 0), roi), ImageError);
  }
}

#if defined(__x86_64__) || defined(__i386__)
calc::Extended fromLongDouble(long double value) {
  calc::Extended bits;
  std::memcpy(&bits.sig, &value, 8);
  std::memcpy(&bits.signExp, reinterpret_cast<const char*>(&value) + 8, 2);
  return bits;
}

// Against the processor's x87: where n * sum(u^2) fits 64 bits every integer is exact in a long
// double, so one division each, the square root and the rescale round exactly as the unit must.
TEST(RoiStatistics, MatchesTheProcessorsExtendedArithmetic) {
  std::mt19937 rng(7);
  for (int round = 0; round < 400; ++round) {
    const int width = 20 + static_cast<int>(rng() % 40), height = 10 + static_cast<int>(rng() % 30);
    const int bits = 1 + static_cast<int>(rng() % 16);
    const bool isSigned = rng() % 2 == 1;
    const std::int32_t offset = isSigned ? 1 << (bits - 1) : 0;
    Grid grid;
    for (int i = 0; i < width * height; ++i) grid.values.push_back(rng() & ((1u << bits) - 1));
    const PixelView image = grid.view(width, height, offset);
    const Roi roi{static_cast<int>(rng() % 10), static_cast<int>(rng() % 5),
                  2 + static_cast<int>(rng() % (width - 10)),
                  1 + static_cast<int>(rng() % (height - 5))};
    const long double slope = (round % 3 == 0) ? 1.0L : static_cast<long double>(rng() % 1000) / 8;
    const long double intercept = (round % 3 == 0) ? 0.0L : -static_cast<long double>(rng() % 5000);
    const Rescale rescale{fromLongDouble(slope), fromLongDouble(intercept)};

    long long sum = 0;
    unsigned long long sumU = 0, sumSquaresU = 0;
    for (int y = roi.y; y < roi.bottom(); ++y) {
      for (int x = roi.x; x < roi.right(); ++x) {
        const unsigned u = grid.values[static_cast<std::size_t>(y * width + x)];
        sum += static_cast<long long>(u) - offset;
        sumU += u;
        sumSquaresU += static_cast<unsigned long long>(u) * u;
      }
    }
    const unsigned long long n = static_cast<unsigned long long>(roi.count());
    const volatile long double mean = static_cast<long double>(sum) / static_cast<long double>(n);
    const volatile long double variance = static_cast<long double>(n * sumSquaresU - sumU * sumU) /
                                          static_cast<long double>(n * (n - 1));
    const volatile long double deviation = sqrtl(variance);
    const volatile long double scaledMean = mean * slope;
    const long double modalityMean = scaledMean + intercept;
    const long double modalityDeviation = deviation * slope;

    calc::Fpu fpu;
    const RoiMeasurement m = MeasureRoi(image, rescale, roi);
    ASSERT_EQ(m.mean, calc::FormatNumberGeneral(fpu, fromLongDouble(modalityMean)))
        << "round " << round;
    ASSERT_EQ(m.standardDeviation,
              calc::FormatNumberGeneral(fpu, fromLongDouble(modalityDeviation)))
        << "round " << round;
  }
}
#endif

}  // namespace
}  // namespace imaging
