// The SDNR trend of the history window, painted by the protocol's own routine so that the
// screen shows what the paper shows; screen readers get it summed up in words. Its rows are read
// on a thread of their own, so that a long history never holds up the window.
#pragma once

#include <QFutureWatcher>
#include <QThreadPool>
#include <QWidget>
#include <atomic>
#include <exception>
#include <vector>

#include "protocol/trend_data.h"
#include "record/history.h"

namespace record_windows {

class TrendPlotView : public QWidget {
 public:
  explicit TrendPlotView(QWidget* parent = nullptr);
  ~TrendPlotView() override;

  // Reads the history that matches the filter from the record at recordPath (through a
  // connection of its own) and shows it once read; a newer call stops one still reading.
  // A record that fails to read goes to the program's error report.
  void load(const QString& recordPath, const record::HistoryFilter& filter);
  // Until the newest load has been shown.
  bool loading() const { return loading_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Read {
    std::vector<record::HistoryRow> rows;
    std::exception_ptr error;
  };
  void showRead(const Read& read);

  protocol::TrendData trend_;
  bool loading_ = false;
  // The newest load's number: an older read stops at its next batch.
  std::atomic<int> newest_{0};
  QFutureWatcher<Read> watcher_;
  // Last, so that it goes first: it waits for the reads, which look at newest_.
  QThreadPool readers_;
};

// What the plot shows, in words: "12 Messungen, 1 nicht bestanden", or that there is none.
QString TrendSummary(const protocol::TrendData& trend);

}  // namespace record_windows
