// The history window's first screen on a long record: from opening the window until its table
// shows the first rows, offscreen. The trend's rows are read meanwhile on their own thread and
// are not waited for.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDateEdit>
#include <QSignalBlocker>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdlib>

#include "example_history.h"
#include "record_windows/history_window.h"

namespace {

// One device checked every working day from 2020 on: 100,000 measurements reach far beyond
// today, so the last twelve months hold a year's checks and the whole record all of them.
// QUANTELO_BENCH_HISTORY for a smoke run.
const QString& RecordPath() {
  static QTemporaryDir folder(QCoreApplication::applicationDirPath() + "/history-bench-XXXXXX");
  static const QString path = [] {
    const char* size = std::getenv("QUANTELO_BENCH_HISTORY");
    const QString file = folder.filePath("record.sqlite");
    record::RecordDatabase database(file);
    bench_record::WriteExampleHistory(database, size != nullptr ? std::atoi(size) : 100000);
    return file;
  }();
  return path;
}

// Or until there are none to show (a smoke run's short record ends before the last year).
void waitForFirstRows(const QTableView* table) {
  const QAbstractItemModel* model = table->model();
  while (model->rowCount() == 0 && model->canFetchMore({})) QCoreApplication::processEvents();
  // The rows painted.
  QCoreApplication::processEvents();
}

// The window as it opens: the first device and the last twelve months.
void BM_HistoryWindowFirstScreen(benchmark::State& state) {
  const QString& path = RecordPath();
  for (auto _ : state) {
    HistoryWindow window(path);
    window.show();
    waitForFirstRows(window.findChild<QTableView*>(QStringLiteral("history")));
  }
}
BENCHMARK(BM_HistoryWindowFirstScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

// The period widened to the whole record: every measurement matches, the table still shows its
// first screen only.
void BM_HistoryWindowWholeRecord(benchmark::State& state) {
  const QString& path = RecordPath();
  for (auto _ : state) {
    state.PauseTiming();
    HistoryWindow window(path);
    window.show();
    auto* table = window.findChild<QTableView*>(QStringLiteral("history"));
    waitForFirstRows(table);
    auto* from = window.findChild<QDateEdit*>(QStringLiteral("from"));
    {
      const QSignalBlocker quiet(from);
      from->setDate({2020, 1, 1});
    }
    state.ResumeTiming();
    window.findChild<QDateEdit*>(QStringLiteral("to"))->setDate({2200, 12, 31});
    waitForFirstRows(table);
  }
}
BENCHMARK(BM_HistoryWindowWholeRecord)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
