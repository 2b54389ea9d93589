// The smoke run of team_save_bench: two clients saving five sessions each into a database of
// their own on the test cluster, set up as the IT would.
// Usage: team_save_bench_smoke TEAM_SAVE_BENCH
#include <QCoreApplication>
#include <QProcess>
#include <cstdio>

#include "record/record_error.h"
#include "tests/team_record/test_server.h"

int main(int argc, char* argv[]) {
  QCoreApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: team_save_bench_smoke TEAM_SAVE_BENCH\n");
    return 2;
  }
  try {
    const team_record_test::ServerDatabase database;
    const int status =
        QProcess::execute(QString::fromLocal8Bit(argv[1]),
                          {database.clientAddress(), QStringLiteral("2"), QStringLiteral("5")});
    return status == 0 ? 0 : 1;
  } catch (const record::RecordError& error) {
    std::fprintf(stderr, "%s [%s]\n", error.what(), error.cause().c_str());
    return 1;
  }
}
