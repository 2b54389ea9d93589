#include "example_record.h"

#include "example_history.h"

ExampleRecord::ExampleRecord(int measurements, int devices)
    : path_(folder_.filePath(QStringLiteral("record.sqlite"))) {
  record::RecordDatabase database(path_);
  bench_record::WriteExampleHistory(database, measurements, devices);
}

std::vector<std::string>& ReportedErrors() {
  static std::vector<std::string> errors;
  return errors;
}
