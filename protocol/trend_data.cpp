#include "trend_data.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "record/verdict.h"

namespace protocol {
namespace {

std::optional<double> number(const QString& text) {
  bool ok = false;
  const double value = text.toDouble(&ok);
  return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

// Bounds apply only with a reference: without one (or with zero) the record judges nothing, so
// no band.
void setBand(TrendPoint& point, const record::HistoryRow& row) {
  if (!point.reference || *point.reference == 0) return;
  const double reference = *point.reference;
  std::vector<double> lowers, uppers;
  if (const auto below = number(row.belowPercent)) lowers.push_back(reference * (1 - *below / 100));
  if (const auto minimum = number(row.minimum)) lowers.push_back(*minimum);
  if (const auto above = number(row.abovePercent)) uppers.push_back(reference * (1 + *above / 100));
  if (const auto maximum = number(row.maximum)) uppers.push_back(*maximum);
  if (!lowers.empty()) point.lower = *std::max_element(lowers.begin(), lowers.end());
  if (!uppers.empty()) point.upper = *std::min_element(uppers.begin(), uppers.end());
}

}  // namespace

TrendData BuildTrend(const std::vector<record::HistoryRow>& rows) {
  // Keyed by the thickness as a number, so that "6" comes before "26"; one that is no number
  // comes last.
  std::map<std::pair<double, QString>, TrendSeries> byThickness;
  for (const record::HistoryRow& row : rows) {
    if (row.voided) continue;
    const QDate date = QDate::fromString(row.date, Qt::ISODate);
    const std::optional<double> value = number(row.sdnr);
    if (!date.isValid() || !value) continue;
    TrendPoint point;
    point.date = date;
    point.value = *value;
    point.failed = row.verdict == QLatin1String(record::Failed);
    point.judged = point.failed || row.verdict == QLatin1String(record::Passed);
    point.reference = number(row.reference);
    setBand(point, row);
    TrendSeries& series = byThickness[{number(row.thickness).value_or(HUGE_VAL), row.thickness}];
    series.thickness = row.thickness;
    series.points.push_back(point);
  }
  TrendData trend;
  for (auto& [thickness, series] : byThickness) {
    std::stable_sort(series.points.begin(), series.points.end(),
                     [](const TrendPoint& a, const TrendPoint& b) { return a.date < b.date; });
    trend.series.push_back(std::move(series));
  }
  return trend;
}

}  // namespace protocol
