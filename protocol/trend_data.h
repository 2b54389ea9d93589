// The SDNR trend as the plot needs it: per object thickness the measured values over time, the
// reference value in force with each and the tolerance band around it, in doubles, which are
// exact enough for drawing (the verdict itself was decided exactly when the value was saved).
#pragma once

#include <QDate>
#include <QString>
#include <algorithm>
#include <optional>
#include <vector>

#include "record/history.h"

namespace protocol {

struct TrendPoint {
  QDate date;
  double value = 0;
  bool failed = false;  // the stored verdict is "nicht bestanden"
  bool judged = false;  // the stored verdict is "bestanden" or "nicht bestanden"
  std::optional<double> reference;
  // The band within which the value passes: the tighter of the bounds in percent of the
  // reference and the absolute ones; either side may be open.
  std::optional<double> lower;
  std::optional<double> upper;
};

struct TrendSeries {
  QString thickness;               // mm, as the record writes it ("46")
  std::vector<TrendPoint> points;  // oldest first
};

struct TrendData {
  std::vector<TrendSeries> series;  // thinnest first
  bool empty() const {
    return std::all_of(series.begin(), series.end(),
                       [](const TrendSeries& one) { return one.points.empty(); });
  }
};


// The rows by thickness, oldest first, without voided rows and rows whose date or SDNR cannot be
// read. A reference or bound that is empty or not a number is left open.
TrendData BuildTrend(const std::vector<record::HistoryRow>& rows);

}  // namespace protocol
