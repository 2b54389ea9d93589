#include "trend_plot.h"

#include <QFontMetricsF>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "german_text.h"

namespace protocol {
namespace {

QColor mixed(const QColor& ground, const QColor& ink, double share) {
  return QColor::fromRgbF(ground.redF() + (ink.redF() - ground.redF()) * share,
                          ground.greenF() + (ink.greenF() - ground.greenF()) * share,
                          ground.blueF() + (ink.blueF() - ground.blueF()) * share);
}

struct Tick {
  double position;  // a Julian day or a value
  QString label;
};

std::vector<Tick> dayTicks(qint64 first, qint64 last, int step) {
  std::vector<Tick> ticks;
  for (qint64 day = (first + step - 1) / step * step; day <= last; day += step)
    ticks.push_back({double(day), GermanDate(QDate::fromJulianDay(day))});
  return ticks;
}

std::vector<Tick> monthTicks(qint64 first, qint64 last, int step) {
  const QDate start = QDate::fromJulianDay(first);
  int month = start.year() * 12 + start.month() - 1 + (start.day() == 1 ? 0 : 1);
  month = (month + step - 1) / step * step;
  std::vector<Tick> ticks;
  for (;; month += step) {
    const QDate date(month / 12, month % 12 + 1, 1);
    if (date.toJulianDay() > last) break;
    ticks.push_back({double(date.toJulianDay()), date.toString(QStringLiteral("MM.yyyy"))});
  }
  return ticks;
}

// The finest steps whose labels fit side by side: days for up to two months, else months.
std::vector<Tick> dateTicks(qint64 first, qint64 last, double width, const QFontMetricsF& metrics) {
  const double gap = metrics.height();
  const double dayRoom = metrics.horizontalAdvance(QStringLiteral("00.00.0000")) + gap;
  const double monthRoom = metrics.horizontalAdvance(QStringLiteral("00.0000")) + gap;
  if (last - first <= 62) {
    for (int step : {1, 2, 7, 14}) {
      std::vector<Tick> ticks = dayTicks(first, last, step);
      if (!ticks.empty() && ticks.size() * dayRoom <= width) return ticks;
    }
  }
  for (int step : {1, 2, 3, 6, 12, 24, 60, 120}) {
    std::vector<Tick> ticks = monthTicks(first, last, step);
    if (!ticks.empty() && ticks.size() * monthRoom <= width) return ticks;
  }
  return {};
}

struct ValueAxis {
  double low = 0;
  double high = 1;
  std::vector<Tick> ticks;
};

// Round steps (1, 2, 2.5 or 5 times a power of ten), at most maxTicks of them, with a margin
// around the data; equal values get room around them.
ValueAxis valueAxis(double low, double high, int maxTicks) {
  const bool nonNegative = low >= 0;
  if (high - low <= 1e-9 * std::max(1.0, std::abs(high))) {
    const double pad = std::max(std::abs(high) * 0.1, 0.5);
    low -= pad;
    high += pad;
  } else {
    const double margin = (high - low) * 0.08;
    low -= margin;
    high += margin;
  }
  if (nonNegative) low = std::max(low, 0.0);
  const double raw = (high - low) / std::max(1, maxTicks);
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  double step = 10 * magnitude;
  for (double factor : {1.0, 2.0, 2.5, 5.0}) {
    if (factor * magnitude >= raw) {
      step = factor * magnitude;
      break;
    }
  }
  int decimals = 0;
  while (decimals < 9 && std::abs(step * std::pow(10.0, decimals) -
                                  std::round(step * std::pow(10.0, decimals))) > 1e-6)
    ++decimals;
  ValueAxis axis{low, high, {}};
  for (auto k = qint64(std::ceil(low / step)); k * step <= high; ++k)
    axis.ticks.push_back({k * step, WithDecimalComma(QString::number(k * step, 'f', decimals))});
  return axis;
}

enum class Mark { Passed, Failed, Unjudged };

Mark markOf(const TrendPoint& point) {
  if (point.failed) return Mark::Failed;
  return point.judged ? Mark::Passed : Mark::Unjudged;
}

void drawMark(QPainter& painter, const QPointF& centre, double radius, Mark mark,
              const TrendColors& colors) {
  const QPen outline(colors.text, radius / 3);
  switch (mark) {
    case Mark::Passed:
      painter.setPen(Qt::NoPen);
      painter.setBrush(colors.text);
      painter.drawEllipse(centre, radius, radius);
      break;
    case Mark::Failed: {
      const double r = radius * 1.4;
      painter.setPen(outline);
      painter.setBrush(colors.failed);
      painter.drawPolygon(QPolygonF({centre + QPointF(0, -r), centre + QPointF(r, 0.75 * r),
                                     centre + QPointF(-r, 0.75 * r)}));
      break;
    }
    case Mark::Unjudged:
      painter.setPen(outline);
      painter.setBrush(colors.background);
      painter.drawEllipse(centre, radius, radius);
      break;
  }
}

// The legend's entries flow left to right and wrap; returns the height used.
double drawLegend(QPainter& painter, const QRectF& area, const QFontMetricsF& metrics,
                  const TrendColors& colors) {
  const double em = metrics.height();
  const double symbol = em * 1.2;
  using Symbol = std::function<void(const QRectF&)>;
  const auto mark = [&](Mark kind) {
    return
        [&, kind](const QRectF& box) { drawMark(painter, box.center(), em * 0.22, kind, colors); };
  };
  const std::vector<std::pair<Symbol, QString>> entries = {
      {mark(Mark::Passed), QStringLiteral("bestanden")},
      {mark(Mark::Failed), QStringLiteral("nicht bestanden")},
      {mark(Mark::Unjudged), QStringLiteral("nicht bewertet")},
      {[&](const QRectF& box) {
         painter.setPen(QPen(colors.reference, em / 8));
         painter.drawLine(QPointF(box.left(), box.center().y()),
                          QPointF(box.right(), box.center().y()));
       },
       QStringLiteral("Bezugswert")},
      {[&](const QRectF& box) {
         painter.fillRect(box.adjusted(0, em * 0.25, 0, -em * 0.25), colors.band);
       },
       QStringLiteral("Toleranzbereich")},
  };
  QPointF at = area.topLeft();
  for (const auto& [drawSymbol, label] : entries) {
    const double width = symbol + em * 0.3 + metrics.horizontalAdvance(label);
    if (at.x() > area.left() && at.x() + width > area.right())
      at = QPointF(area.left(), at.y() + em * 1.2);
    drawSymbol(QRectF(at, QSizeF(symbol, em)));
    painter.setPen(colors.text);
    painter.drawText(QRectF(at.x() + symbol + em * 0.3, at.y(), width, em),
                     Qt::AlignLeft | Qt::AlignVCenter, label);
    at.rx() += width + em;
  }
  return at.y() - area.top() + em * 1.5;
}

// Where a day and a value land in one panel's plot.
struct Frame {
  QRectF plot;
  ValueAxis axis;
  qint64 firstDay;
  qint64 lastDay;
  double x(double day) const {
    return plot.left() + (day - double(firstDay)) / double(lastDay - firstDay) * plot.width();
  }
  double y(double value) const {
    return plot.bottom() - (value - axis.low) / (axis.high - axis.low) * plot.height();
  }
};

// Each point's reference and band hold from halfway to the point before to halfway to the next,
// so that a change of reference shows between the two values it separates.
std::vector<std::pair<double, double>> stretches(const std::vector<double>& xs, double left,
                                                 double right) {
  std::vector<std::pair<double, double>> result;
  for (size_t i = 0; i < xs.size(); ++i) {
    result.emplace_back(i == 0 ? left : (xs[i - 1] + xs[i]) / 2,
                        i + 1 == xs.size() ? right : (xs[i] + xs[i + 1]) / 2);
  }
  return result;
}

// One rectangle for each run of points with the same bounds: neighbouring rectangles, smoothed at
// their edges, would show seams.
void drawBand(QPainter& painter, const Frame& frame, const TrendSeries& series,
              const std::vector<std::pair<double, double>>& spans, const TrendColors& colors) {
  const auto& points = series.points;
  for (size_t first = 0, last; first < points.size(); first = last + 1) {
    last = first;
    while (last + 1 < points.size() && points[last + 1].lower == points[first].lower &&
           points[last + 1].upper == points[first].upper)
      ++last;
    const TrendPoint& point = points[first];
    if (!point.lower && !point.upper) continue;
    const double top = point.upper ? frame.y(*point.upper) : frame.plot.top();
    const double bottom = point.lower ? frame.y(*point.lower) : frame.plot.bottom();
    painter.fillRect(QRectF(QPointF(spans[first].first, top), QPointF(spans[last].second, bottom)),
                     colors.band);
  }
}

void drawGrid(QPainter& painter, const Frame& frame, const std::vector<Tick>& days, double em,
              const TrendColors& colors) {
  painter.setPen(QPen(colors.grid, em / 16));
  for (const Tick& tick : days) {
    const double x = frame.x(tick.position);
    painter.drawLine(QPointF(x, frame.plot.top()), QPointF(x, frame.plot.bottom()));
  }
  for (const Tick& tick : frame.axis.ticks) {
    const double y = frame.y(tick.position);
    painter.drawLine(QPointF(frame.plot.left() - em * 0.3, y), QPointF(frame.plot.right(), y));
  }
}

void drawReference(QPainter& painter, const Frame& frame, const TrendSeries& series,
                   const std::vector<std::pair<double, double>>& spans, double em,
                   const TrendColors& colors) {
  painter.setPen(QPen(colors.reference, em / 8, Qt::SolidLine, Qt::FlatCap));
  QPolygonF step;
  for (size_t i = 0; i <= series.points.size(); ++i) {
    if (i < series.points.size() && series.points[i].reference) {
      const double y = frame.y(*series.points[i].reference);
      step << QPointF(spans[i].first, y) << QPointF(spans[i].second, y);
    } else {
      painter.drawPolyline(step);
      step.clear();
    }
  }
}

// One panel: band, grid, reference and values in this order, so that each stays visible above
// the one before; the value labels left of the frame.
void drawPanel(QPainter& painter, const Frame& frame, const TrendSeries& series,
               const std::vector<Tick>& days, double labelLeft, double em,
               const TrendColors& colors) {
  const QRectF& plot = frame.plot;
  QPolygonF values;
  for (const TrendPoint& point : series.points)
    values << QPointF(frame.x(point.date.toJulianDay()), frame.y(point.value));
  std::vector<double> xs;
  for (const QPointF& value : values) xs.push_back(value.x());
  const auto spans = stretches(xs, plot.left(), plot.right());

  // The value axis includes every value, reference and bound: nothing reaches beyond the plot.
  drawBand(painter, frame, series, spans, colors);
  drawGrid(painter, frame, days, em, colors);
  drawReference(painter, frame, series, spans, em, colors);
  painter.setPen(QPen(colors.text, em / 16));
  painter.drawPolyline(values);
  for (size_t i = 0; i < series.points.size(); ++i)
    drawMark(painter, values[int(i)], em * 0.22, markOf(series.points[i]), colors);

  painter.setPen(colors.text);
  for (const Tick& tick : frame.axis.ticks) {
    painter.drawText(
        QRectF(labelLeft, frame.y(tick.position) - em / 2, plot.left() - em * 0.6 - labelLeft, em),
        Qt::AlignRight | Qt::AlignVCenter, tick.label);
  }
  painter.setPen(QPen(colors.text, em / 14));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(plot);
}

// Every point's value, reference and bounds inside the axis.
ValueAxis seriesAxis(const TrendSeries& series, int maxTicks) {
  std::vector<double> values;
  for (const TrendPoint& point : series.points) {
    values.push_back(point.value);
    for (const auto& bound : {point.reference, point.lower, point.upper})
      if (bound) values.push_back(*bound);
  }
  if (values.empty()) return valueAxis(0, 1, maxTicks);
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  return valueAxis(*low, *high, maxTicks);
}

// The first and last day of all series as Julian days, with a margin of at least a day, so that
// no point sits on the frame and a single day still has a width.
std::pair<qint64, qint64> dayRange(const TrendData& trend) {
  qint64 first = std::numeric_limits<qint64>::max();
  qint64 last = std::numeric_limits<qint64>::min();
  for (const TrendSeries& series : trend.series) {
    for (const TrendPoint& point : series.points) {
      first = std::min(first, point.date.toJulianDay());
      last = std::max(last, point.date.toJulianDay());
    }
  }
  const qint64 margin = std::max<qint64>(1, (last - first) / 30);
  return {first - margin, last + margin};
}

// The date axis under the last panel, its labels kept within the area.
void drawDateAxis(QPainter& painter, const Frame& frame, const std::vector<Tick>& days,
                  const QRectF& area, const QFontMetricsF& metrics, const TrendColors& colors) {
  const double em = metrics.height();
  const double tickLength = em * 0.3;
  const double axisY = frame.plot.bottom();
  painter.setPen(QPen(colors.text, em / 14));
  for (const Tick& tick : days) {
    const double x = frame.x(tick.position);
    painter.drawLine(QPointF(x, axisY), QPointF(x, axisY + tickLength));
    const double width = metrics.horizontalAdvance(tick.label);
    const double labelLeft = std::clamp(x - width / 2, area.left(), area.right() - width);
    painter.drawText(QRectF(labelLeft, axisY + tickLength, width + 1, em),
                     Qt::AlignLeft | Qt::AlignTop, tick.label);
  }
}

}  // namespace

TrendColors TrendColorsFor(const QColor& background, const QColor& text) {
  const bool dark = background.lightnessF() < 0.5;
  const QColor reference = dark ? QColor(110, 170, 255) : QColor(0, 70, 170);
  return {background,
          text,
          mixed(background, text, 0.18),
          reference,
          mixed(background, reference, dark ? 0.35 : 0.2),
          dark ? QColor(255, 110, 100) : QColor(200, 0, 0)};
}

TrendColors TrendColorsFor(const QPalette& palette) {
  return TrendColorsFor(palette.color(QPalette::Base), palette.color(QPalette::Text));
}

void DrawTrend(QPainter& painter, const QRectF& area, const TrendData& trend,
               const TrendColors& colors) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(area, colors.background);
  const QFontMetricsF metrics(painter.font(), painter.device());
  const double em = metrics.height();
  if (trend.empty()) {
    painter.setPen(colors.text);
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap,
                     QStringLiteral("Keine Messungen im Zeitraum"));
    painter.restore();
    return;
  }

  // A little room inside the edges, so that no label touches a widget's border.
  const QRectF inner = area.adjusted(em / 4, em / 4, -em / 4, -em / 4);
  const double legendHeight = drawLegend(painter, inner, metrics, colors);
  const double titleHeight = em * 1.2;
  const double gap = em * 0.6;
  const auto panels = int(trend.series.size());
  const double panelHeight =
      (inner.height() - legendHeight - em * 1.5 - gap * (panels - 1)) / panels;
  const double plotHeight = panelHeight - titleHeight;

  std::vector<ValueAxis> axes;
  double labelWidth = 0;
  for (const TrendSeries& series : trend.series) {
    axes.push_back(seriesAxis(series, int(plotHeight / (em * 1.6))));
    for (const Tick& tick : axes.back().ticks)
      labelWidth = std::max(labelWidth, metrics.horizontalAdvance(tick.label));
  }
  const double left = inner.left() + labelWidth + em * 0.6;
  const double right = inner.right() - em * 0.4;
  if (plotHeight < em || right - left < em * 4) {
    painter.restore();
    return;
  }
  const auto [firstDay, lastDay] = dayRange(trend);
  const std::vector<Tick> days = dateTicks(firstDay, lastDay, right - left, metrics);

  Frame frame;
  for (int i = 0; i < panels; ++i) {
    const double top = inner.top() + legendHeight + i * (panelHeight + gap);
    painter.setPen(colors.text);
    painter.drawText(QRectF(left, top, right - left, titleHeight), Qt::AlignLeft | Qt::AlignTop,
                     ThicknessLabel(trend.series[i].thickness));
    frame = {QRectF(left, top + titleHeight, right - left, plotHeight), axes[i], firstDay, lastDay};
    drawPanel(painter, frame, trend.series[i], days, inner.left(), em, colors);
  }
  drawDateAxis(painter, frame, days, inner, metrics, colors);
  painter.restore();
}

}  // namespace protocol
