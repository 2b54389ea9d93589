// Writes the example record to a file, for whole-program timings of the programs that read it:
//   write_example_record FILE MEASUREMENTS [DEVICES]
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

#include "example_history.h"
#include "record/record_error.h"

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: write_example_record FILE MEASUREMENTS [DEVICES]\n");
    return 2;
  }
  try {
    record::RecordDatabase database(QString::fromLocal8Bit(argv[1]));
    bench_record::WriteExampleHistory(database, std::atoi(argv[2]),
                                      argc == 4 ? std::atoi(argv[3]) : 1);
  } catch (const record::RecordError& error) {
    std::fprintf(stderr, "write_example_record: %s\n", error.what());
    return 1;
  }
}
