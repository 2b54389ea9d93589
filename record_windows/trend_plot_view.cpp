#include "trend_plot_view.h"

#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QtConcurrent/QtConcurrentRun>

#include "protocol/trend_plot.h"
#include "toolkit/event_dispatch.h"

namespace record_windows {

namespace {

// Rows read between two looks at whether the read is still wanted.
constexpr int ReadBatch = 1000;

}  // namespace

TrendPlotView::TrendPlotView(QWidget* parent) : QWidget(parent) {
  readers_.setMaxThreadCount(1);
  setAccessibleName(QStringLiteral("SDNR-Verlauf"));
  setAccessibleDescription(TrendSummary(trend_));
  // A stop of its own, so that a screen reader reaches the summary by Tab.
  setFocusPolicy(Qt::TabFocus);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  connect(&watcher_, &QFutureWatcher<Read>::finished, this,
          [this] { toolkit::Dispatch([this] { showRead(watcher_.result()); }); });
}

// A read still running stops at its next batch, and its rows are dropped.
TrendPlotView::~TrendPlotView() {
  watcher_.disconnect();
  ++newest_;
}

void TrendPlotView::load(const QString& recordPath, const record::HistoryFilter& filter) {
  loading_ = true;
  setAccessibleDescription(QStringLiteral("Verlauf wird gelesen"));
  update();
  const int load = ++newest_;
  watcher_.setFuture(QtConcurrent::run(&readers_, [this, load, recordPath, filter] {
    Read read;
    try {
      record::RecordDatabase database(recordPath);
      record::HistoryReader reader(database, filter);
      while (!reader.atEnd() && newest_ == load) {
        for (record::HistoryRow& row : reader.next(ReadBatch)) read.rows.push_back(std::move(row));
      }
    } catch (...) {
      read.error = std::current_exception();
    }
    return read;
  }));
}

void TrendPlotView::showRead(const Read& read) {
  loading_ = false;
  trend_ = protocol::BuildTrend(read.rows);
  setAccessibleDescription(TrendSummary(trend_));
  setToolTip(accessibleDescription());
  update();
  if (read.error) std::rethrow_exception(read.error);
}

QSize TrendPlotView::sizeHint() const {
  return {fontMetrics().averageCharWidth() * 100, fontMetrics().height() * 22};
}

QSize TrendPlotView::minimumSizeHint() const {
  return {fontMetrics().averageCharWidth() * 40, fontMetrics().height() * 12};
}

void TrendPlotView::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  if (loading_) {
    painter.drawText(rect(), Qt::AlignCenter, accessibleDescription() + QStringLiteral("…"));
  } else {
    painter.setRenderHint(QPainter::Antialiasing);
    protocol::DrawTrend(painter, QRectF(rect()), trend_, protocol::TrendColorsFor(palette()));
  }
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}

QString TrendSummary(const protocol::TrendData& trend) {
  int measurements = 0, failed = 0;
  for (const protocol::TrendSeries& series : trend.series) {
    for (const protocol::TrendPoint& point : series.points) {
      ++measurements;
      if (point.failed) ++failed;
    }
  }
  if (measurements == 0) return QStringLiteral("Keine Messungen im Zeitraum");
  return QStringLiteral("%1 %2, %3 nicht bestanden")
      .arg(measurements)
      .arg(measurements == 1 ? QStringLiteral("Messung") : QStringLiteral("Messungen"))
      .arg(failed);
}

}  // namespace record_windows
