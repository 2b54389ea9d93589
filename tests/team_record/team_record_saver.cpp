// One of several programs saving to the same team record at once: saves COUNT sessions of its own
// and COUNT shared ones (the same keys and images in every writer, as a save retried elsewhere),
// and prints each "key<TAB>measurement id".
// Usage: team_record_saver ADDRESS WRITER COUNT
#include <cstdio>
#include <cstdlib>
#include <string>

#include "record/record_error.h"
#include "record/session_saving.h"
#include "tests/record/record_test_data.h"

int main(int argc, char* argv[]) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: team_record_saver ADDRESS WRITER COUNT\n");
    return 2;
  }
  const std::string writer = argv[2];
  const int count = std::atoi(argv[3]);
  try {
    record::RecordDatabase database(QString::fromLocal8Bit(argv[1]));
    for (int i = 0; i < count; ++i) {
      for (const std::string& key :
           {"w" + writer + "-" + std::to_string(i), "shared-" + std::to_string(i)}) {
        const auto saved = record::SaveSession(database, record_test::Session(key.c_str()),
                                               {record_test::Image({key.c_str(), "5.00"})});
        if (!saved[0].id) {
          std::fprintf(stderr, "%s: %s\n", key.c_str(), saved[0].refusal.c_str());
          return 1;
        }
        std::printf("%s\t%lld\n", key.c_str(), static_cast<long long>(*saved[0].id));
      }
    }
  } catch (const record::RecordError& error) {
    std::fprintf(stderr, "%s [%s]\n", error.what(), error.cause().c_str());
    return 1;
  }
  return 0;
}
