// The history window's first screen on a long record: from opening the window until its table
// shows the first rows, offscreen. The trend's rows are read meanwhile on their own thread and
// are not waited for. On the team record also how soon another program's save is shown.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDateEdit>
#include <QDateTime>
#include <QSignalBlocker>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdlib>

#include "example_history.h"
#include "record_windows/history_window.h"

namespace {

// One device checked every working day from 2020 on: 100,000 measurements reach far beyond
// today, so the last twelve months hold a year's checks and the whole record all of them.
// In a file of its own, or in the team record at QUANTELO_BENCH_SERVER (an address of a
// database set up for the programs), written there where it has no measurements yet.
// QUANTELO_BENCH_HISTORY for a smoke run.
const QString& RecordPath() {
  static QTemporaryDir folder(QCoreApplication::applicationDirPath() + "/history-bench-XXXXXX");
  static const QString path = [] {
    const char* server = std::getenv("QUANTELO_BENCH_SERVER");
    const char* size = std::getenv("QUANTELO_BENCH_HISTORY");
    const QString where =
        server != nullptr ? QString::fromLocal8Bit(server) : folder.filePath("record.sqlite");
    record::RecordDatabase database(where);
    QSqlQuery measurements = database.run(QStringLiteral("SELECT count(*) FROM measurements"));
    if (measurements.next() && measurements.value(0).toLongLong() == 0)
      bench_record::WriteExampleHistory(database, size != nullptr ? std::atoi(size) : 100000);
    return where;
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

// A check saved by another program while the window shows the team record: from the start of
// the save until the table has read the record again.
void BM_HistoryWindowShowsAnotherSave(benchmark::State& state) {
  const QString& where = RecordPath();
  HistoryWindow window(where);
  window.show();
  auto* table = window.findChild<QTableView*>(QStringLiteral("history"));
  waitForFirstRows(table);
  record::RecordDatabase elsewhere(where);
  // Checks of their own in every run.
  long long check = QDateTime::currentMSecsSinceEpoch();
  for (auto _ : state) {
    bool reread = false;
    const QMetaObject::Connection watching = QObject::connect(
        table->model(), &QAbstractItemModel::modelReset, [&reread] { reread = true; });
    bench_record::SaveExampleCheck(elsewhere, 0, QDate::currentDate(), check++);
    while (!reread) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QObject::disconnect(watching);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  // Only the team record tells of another's save.
  if (std::getenv("QUANTELO_BENCH_SERVER") != nullptr) {
    benchmark::RegisterBenchmark("BM_HistoryWindowShowsAnotherSave",
                                 BM_HistoryWindowShowsAnotherSave)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
