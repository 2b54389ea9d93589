// A new record for one test in either place the programs keep one: a file of its own, or a
// database of its own on the team record's test cluster, opened by the programs' role. A test
// written against it runs on both.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <optional>
#include <ostream>
#include <string>

#include "tests/team_record/test_server.h"

namespace record_test {

enum class Place { File, Server };

class RecordPlace {
 public:
  explicit RecordPlace(Place place) {
    if (place == Place::Server) server_.emplace();
  }
  // The file's path or the server's address.
  QString where() const {
    return server_ ? server_->clientAddress() : folder_.filePath(QStringLiteral("record.sqlite"));
  }

 private:
  QTemporaryDir folder_;
  std::optional<team_record_test::ServerDatabase> server_;
};

inline std::string PlaceName(const testing::TestParamInfo<Place>& place) {
  return place.param == Place::File ? "File" : "Server";
}

inline void PrintTo(Place place, std::ostream* out) {
  *out << (place == Place::File ? "File" : "Server");
}

}  // namespace record_test

// The suite's tests once on a file and once on the server: …/File and …/Server.
#define RECORD_TESTS_IN_BOTH_PLACES(suite)                                                        \
  INSTANTIATE_TEST_SUITE_P(Places, suite,                                                         \
                           testing::Values(record_test::Place::File, record_test::Place::Server), \
                           record_test::PlaceName)
