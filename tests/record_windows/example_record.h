// A record in a temporary folder, filled like a screening unit's history, and what reached the
// program's error report while a test ran.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <string>
#include <vector>

class ExampleRecord {
 public:
  // Sessions of 26, 46 and 66 mm, one per device and working day from 3 January 2020 on.
  ExampleRecord(int measurements, int devices);
  const QString& path() const { return path_; }

 private:
  QTemporaryDir folder_;
  QString path_;
};

// The messages the error report got, oldest first; a test takes those it expects.
std::vector<std::string>& ReportedErrors();
