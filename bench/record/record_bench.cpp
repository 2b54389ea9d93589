// The QA record's own work: saving one measurement with its sync to disk, on a record that
// already holds a history.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdlib>

#include "example_history.h"
#include "imaging/header_facts.h"
#include "record/session_saving.h"

namespace {

// How many measurements the record holds before the timed work; QUANTELO_BENCH_HISTORY for a
// smoke run.
int HistorySize(int otherwise) {
  const char* size = std::getenv("QUANTELO_BENCH_HISTORY");
  return size != nullptr ? std::atoi(size) : otherwise;
}

// On the disk beside the program, not in a RAM-backed temporary folder: the sync is what counts.
QString RecordPath(const QTemporaryDir& folder) {
  return folder.filePath("record.sqlite");
}

void BM_SaveOneMeasurement(benchmark::State& state) {
  QTemporaryDir folder(QCoreApplication::applicationDirPath() + "/record-bench-XXXXXX");
  record::RecordDatabase database(RecordPath(folder));
  bench_record::WriteExampleHistory(database, HistorySize(3000));
  record::MeasuredImage image;
  for (const imaging::HeaderFactSource& source : imaging::HeaderFactSources())
    image.facts.push_back({source.key, source.label, "", source.listed});
  for (imaging::HeaderFact& fact : image.facts) {
    if (fact.key == "serial_number") fact.value = bench_record::ExampleSerial(0).toStdString();
    if (fact.key == "thickness_mm") fact.value = "46";
    if (fact.key == "acquisition_date") fact.value = "2026-12-01";
  }
  image.measurement.sdnr = "6.31";
  long long number = 0;
  for (auto _ : state) {
    ++number;
    for (imaging::HeaderFact& fact : image.facts) {
      if (fact.key == "sop_instance_uid")
        fact.value = QStringLiteral("2.25.%1").arg(number).toStdString();
    }
    const auto saved = record::SaveSession(
        database,
        {QStringLiteral("bench-%1").arg(number), QDateTime::currentDateTimeUtc(), "Prüferin",
         "PMMA", "SDNR monatlich", "1.0"},
        {image});
    if (!saved[0].id) state.SkipWithError(saved[0].refusal.c_str());
  }
}
BENCHMARK(BM_SaveOneMeasurement)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
