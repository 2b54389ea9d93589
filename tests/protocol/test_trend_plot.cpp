// The trend's data taken from the record's rows, and the plot painted for the cases a year of
// checks can bring.
#include <gtest/gtest.h>

#include <QImage>

#include "protocol/trend_plot.h"

namespace {

record::HistoryRow Row(const char* thickness, const char* date, const char* sdnr,
                       const char* reference, const char* verdict) {
  record::HistoryRow row;
  row.thickness = thickness;
  row.date = date;
  row.sdnr = sdnr;
  row.reference = reference;
  row.verdict = verdict;
  return row;
}

TEST(TrendData, RowsGroupedByThicknessWithTheTighterBoundsAndWithoutVoidedOnes) {
  std::vector<record::HistoryRow> rows = {
      Row("66", "2025-01-10", "5.0", "5", "bestanden"),
      Row("6", "2025-02-01", "3", "", "kein Bezugswert"),
      Row("26", "2025-03-01", "9.8", "9.8", "bestanden"),
      Row("66", "2025-01-05", "4", "5", "nicht bestanden"),
      Row("26", "2025-04-01", "9.5", "0", "kein Bezugswert"),
      Row("26", "2025-05-01", "n/a", "9.8", "bestanden"),
  };
  rows[0].belowPercent = "10";
  rows[0].minimum = "4.6";
  rows[0].abovePercent = "20";
  rows[0].maximum = "5.5";
  rows[1].belowPercent = "10";
  rows[2].amendment = "ungültig: falsche Dicke";
  rows[2].voided = true;
  rows[3].belowPercent = "10";
  rows[4].belowPercent = "10";

  const protocol::TrendData trend = protocol::BuildTrend(rows);
  ASSERT_EQ(trend.series.size(), 3u);
  const struct {
    QString thickness;
    QDate date;
    bool judged, failed;
    std::optional<double> reference, lower, upper;
  } expected[] = {
      {"6", {2025, 2, 1}, false, false, {}, {}, {}},
      {"26", {2025, 4, 1}, false, false, 0.0, {}, {}},
      {"66", {2025, 1, 5}, true, true, 5.0, 4.5, {}},
      {"66", {2025, 1, 10}, true, false, 5.0, 4.6, 5.5},
  };
  std::vector<std::pair<QString, protocol::TrendPoint>> points;
  for (const protocol::TrendSeries& series : trend.series)
    for (const protocol::TrendPoint& point : series.points)
      points.emplace_back(series.thickness, point);
  ASSERT_EQ(points.size(), std::size(expected));
  for (size_t i = 0; i < points.size(); ++i) {
    SCOPED_TRACE(i);
    const auto& [thickness, point] = points[i];
    EXPECT_EQ(thickness, expected[i].thickness);
    EXPECT_EQ(point.date, expected[i].date);
    EXPECT_EQ(point.judged, expected[i].judged);
    EXPECT_EQ(point.failed, expected[i].failed);
    EXPECT_EQ(point.reference, expected[i].reference);
    ASSERT_EQ(point.lower.has_value(), expected[i].lower.has_value());
    if (point.lower) {
      EXPECT_DOUBLE_EQ(*point.lower, *expected[i].lower);
    }
    EXPECT_EQ(point.upper, expected[i].upper);
  }
}

QImage Paint(const protocol::TrendData& trend, const protocol::TrendColors& colors) {
  QImage image(480, 360, QImage::Format_RGB32);
  image.fill(Qt::magenta);  // the plot must lay its own ground
  QPainter painter(&image);
  protocol::DrawTrend(painter, image.rect(), trend, colors);
  return image;
}

int PixelsOf(const QImage& image, const QColor& colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y) == colour;
  return count;
}

int PixelsBesides(const QImage& image, const QColor& colour) {
  return image.width() * image.height() - PixelsOf(image, colour);
}

protocol::TrendData Series(std::vector<protocol::TrendPoint> points) {
  return {{{"46", std::move(points)}}};
}

TEST(TrendPlot, EveryCaseIsPaintedAndAFailedValueHasAMarkerOfItsOwn) {
  const protocol::TrendColors light = protocol::TrendColorsFor(Qt::white, Qt::black);
  const protocol::TrendColors dark = protocol::TrendColorsFor(QColor(30, 30, 30), Qt::white);
  const QDate day(2025, 3, 14);
  const protocol::TrendPoint inside{day, 7.0, false, true, 7.0, 6.0, 8.0};
  protocol::TrendPoint outside = inside;
  outside.value = 5.0;
  outside.failed = true;
  // The legend shows the failed marker too: a failed value adds to its pixels.
  const int legendFailed = PixelsOf(Paint(Series({inside}), light), light.failed);
  const int darkLegendFailed = PixelsOf(Paint(Series({inside}), dark), dark.failed);
  const struct {
    const char* what;
    protocol::TrendData trend;
    protocol::TrendColors colors;
    bool showsFailure;
  } cases[] = {
      {"no points", {}, light, false},
      {"one point", Series({inside}), light, false},
      {"equal values, dark theme",
       Series({inside,
               {day.addDays(30), 7.0, false, true, 7.0, 6.0, 8.0},
               {day.addDays(60), 7.0, false, true, 7.0, 6.0, 8.0}}),
       dark, false},
      {"no reference",
       Series({{day, 7.0, false, false, {}, {}, {}},
               {day.addDays(400), 7.5, false, false, {}, {}, {}}}),
       light, false},
      {"outside the band", Series({outside}), light, true},
      {"outside the band, dark theme", Series({outside}), dark, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const QImage image = Paint(c.trend, c.colors);
    EXPECT_EQ(PixelsOf(image, Qt::magenta), 0);
    EXPECT_GT(PixelsBesides(image, c.colors.background), 200);
    const int legend = c.colors.background == light.background ? legendFailed : darkLegendFailed;
    if (!c.trend.empty()) {
      EXPECT_EQ(PixelsOf(image, c.colors.failed) > legend, c.showsFailure);
    }
  }
}

}  // namespace
