// Clients saving into the team record at once, each a process of its own as each PC is: every
// client connects first, then all start together and each saves sessions of one measurement,
// timing each save. The record is then counted: every save present, none twice. Prints the save
// times' median, 90th and 99th percentile and maximum (docs/performance.md).
// Usage: team_save_bench ADDRESS [CLIENTS [SAVES]]
//   ADDRESS  a team record set up, as a login role holding quantelo_client (postgresql://…)
//   CLIENTS  processes saving at once, 10 unless given
//   SAVES    sessions each of them saves, 1000 unless given
// Exits 0 only when every save succeeded and the record holds each of them exactly once.
#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QSqlQuery>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "record/record_error.h"
#include "record/session_saving.h"
#include "tests/record/record_test_data.h"

namespace {

using Clock = std::chrono::steady_clock;

// The keys and SOP Instance UIDs of a run begin with its own mark, so that runs on the same
// record never meet.
std::string RunMark() {
  return std::to_string(QDateTime::currentMSecsSinceEpoch());
}

// One client with a device of its own: connects, says "ready", waits for its input to close and
// then saves; prints the time of each save in microseconds once all are done, so that printing
// never delays a save.
int Client(const QString& address, const std::string& run, int client, int saves) {
  record::RecordDatabase database(address);
  std::puts("ready");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  const std::string serial = "SN-" + std::to_string(4711 + client);
  std::vector<long long> micros;
  for (int save = 0; save < saves; ++save) {
    const std::string number = std::to_string(client) + "." + std::to_string(save);
    const std::string key = "bench-" + run + "-" + number;
    const std::string uid = "2.25." + run + "." + number;
    const record::SessionEntry session = record_test::Session(key.c_str());
    const record::MeasuredImage image =
        record_test::Image({uid.c_str(), "6.31", "46", "2026-12-01", serial.c_str()});
    const Clock::time_point start = Clock::now();
    const auto saved = record::SaveSession(database, session, {image});
    micros.push_back(
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count());
    if (!saved[0].id) {
      std::fprintf(stderr, "%s: %s\n", key.c_str(), saved[0].refusal.c_str());
      return 1;
    }
  }
  for (long long time : micros) std::printf("%lld\n", time);
  return 0;
}

// The time in milliseconds that the share of the sorted times does not exceed (nearest rank).
double Percentile(const std::vector<long long>& sorted, double share) {
  const auto rank = static_cast<size_t>(std::ceil(share * static_cast<double>(sorted.size())));
  return static_cast<double>(sorted[std::max<size_t>(rank, 1) - 1]) / 1000;
}

// The measurements of the run in the record: all of them, their distinct client keys and their
// distinct SOP Instance UIDs.
std::vector<long long> Kept(const QString& address, const std::string& run) {
  record::RecordDatabase database(address);
  QSqlQuery kept = database.run(
      QStringLiteral("SELECT count(*), count(DISTINCT s.client_key), "
                     "count(DISTINCT i.sop_instance_uid) FROM measurements m JOIN sessions s ON "
                     "s.id = m.session_id JOIN images i ON i.id = m.image_id WHERE s.client_key "
                     "LIKE ?"),
      {QString::fromStdString("bench-" + run + "-%")});
  kept.next();
  return {kept.value(0).toLongLong(), kept.value(1).toLongLong(), kept.value(2).toLongLong()};
}

int Run(const QString& address, int clients, int saves) {
  const std::string run = RunMark();
  std::vector<std::unique_ptr<QProcess>> processes;
  for (int client = 0; client < clients; ++client) {
    auto& process = processes.emplace_back(std::make_unique<QProcess>());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--client"), address, QString::fromStdString(run),
                    QString::number(client), QString::number(saves)});
  }
  for (auto& process : processes) {
    while (!process->canReadLine() && process->waitForReadyRead(-1)) {
    }
    if (process->readLine() != "ready\n") {
      std::fprintf(stderr, "A client did not connect.\n");
      for (auto& other : processes) {
        other->kill();
        other->waitForFinished();
      }
      return 1;
    }
  }
  const Clock::time_point start = Clock::now();
  for (auto& process : processes) process->closeWriteChannel();
  bool failed = false;
  std::vector<long long> times;
  for (auto& process : processes) {
    process->waitForFinished(-1);
    failed |= process->exitStatus() != QProcess::NormalExit || process->exitCode() != 0;
    for (const QByteArray& line : process->readAllStandardOutput().split('\n'))
      if (!line.isEmpty()) times.push_back(line.toLongLong());
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const long long expected = static_cast<long long>(clients) * saves;
  const std::vector<long long> kept = Kept(address, run);
  std::printf("%d client%s × %d saves at once: %zu saves in %.2f s, %.0f saves/s\n", clients,
              clients == 1 ? "" : "s", saves, times.size(), seconds,
              static_cast<double>(times.size()) / seconds);
  std::printf(
      "in the record: %lld measurements, %lld client keys, %lld SOP Instance UIDs of %lld\n",
      kept[0], kept[1], kept[2], expected);
  if (!times.empty()) {
    std::sort(times.begin(), times.end());
    std::printf("save time: median %.1f ms, 90th %.1f ms, 99th %.1f ms, maximum %.1f ms\n",
                Percentile(times, 0.5), Percentile(times, 0.9), Percentile(times, 0.99),
                Percentile(times, 1));
  }
  const bool whole =
      std::all_of(kept.begin(), kept.end(), [&](long long n) { return n == expected; });
  if (failed) std::fprintf(stderr, "A client failed.\n");
  if (!whole) std::fprintf(stderr, "The record does not hold every save exactly once.\n");
  return failed || !whole ? 1 : 0;
}

// A positive count, or 0 for anything else.
int Count(const QString& text) {
  bool number = false;
  const int count = text.toInt(&number);
  return number && count > 0 ? count : 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication application(argc, argv);
  const QStringList arguments = QCoreApplication::arguments();
  try {
    if (arguments.size() == 6 && arguments[1] == QLatin1String("--client"))
      return Client(arguments[2], arguments[3].toStdString(), arguments[4].toInt(),
                    arguments[5].toInt());
    const int clients = Count(arguments.value(2, QStringLiteral("10")));
    const int saves = Count(arguments.value(3, QStringLiteral("1000")));
    if (arguments.size() >= 2 && arguments.size() <= 4 && clients > 0 && saves > 0)
      return Run(arguments[1], clients, saves);
  } catch (const record::RecordError& error) {
    std::fprintf(stderr, "%s [%s]\n", error.what(), error.cause().c_str());
    return 1;
  }
  std::fprintf(stderr, "usage: team_save_bench ADDRESS [CLIENTS [SAVES]]\n");
  return 2;
}
