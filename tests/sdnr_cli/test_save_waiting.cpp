// quantelo-sdnr --save with the team record's server away: the lines say the files wait for it,
// standard error says how many, and the status is 0 as long as the outbox keeps them, 1 where it
// cannot.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <iostream>
#include <sstream>

#include "imaging/header_facts.h"
#include "record/record_error.h"
#include "record_saving.h"
#include "tests/record/record_test_data.h"

namespace {

const QString Address = QStringLiteral("postgresql://qa@server.example/record");

// Standard output and standard error into strings while it lives.
class CapturedOutput {
 public:
  CapturedOutput()
      : out_(std::cout.rdbuf(outText_.rdbuf())), err_(std::cerr.rdbuf(errText_.rdbuf())) {}
  ~CapturedOutput() {
    std::cout.rdbuf(out_);
    std::cerr.rdbuf(err_);
  }
  std::string out() const { return outText_.str(); }
  std::string err() const { return errText_.str(); }

 private:
  std::ostringstream outText_;
  std::ostringstream errText_;
  std::streambuf* out_;
  std::streambuf* err_;
};

// A column of a printed line, by its name in the header.
std::string Column(const std::string& line, const std::string& name) {
  std::vector<std::string> names;
  std::istringstream header(sdnr_cli::TsvHeader(true));
  for (std::string field; std::getline(header, field, '\t');) names.push_back(field);
  std::istringstream fields(line);
  std::string field;
  for (const std::string& column : names) {
    std::getline(fields, field, '\t');
    if (column == name) return field;
  }
  return "(no column " + name + ")";
}

struct Call {
  const char* name;
  bool serverAway;
  bool outboxWritable;
  int status;
  const char* verdict;  // of each line
  const char* told;     // on standard error
};

const Call Calls[] = {
    {"away: both wait in the outbox", true, true, 0, "wartet auf den Server",
     "2 Messungen warten auf den Server"},
    {"away and the outbox not writable: not saved", true, false, 1, "", "nicht gespeichert"},
    {"there: saved with the verdict", false, true, 0, "kein Bezugswert", ""},
};

void PrintTo(const Call& call, std::ostream* out) {
  *out << call.name;
}

class SaveWithServerAway : public testing::TestWithParam<Call> {};

TEST_P(SaveWithServerAway, TellsWhatWaits) {
  const Call& call = GetParam();
  SCOPED_TRACE(call.name);
  QTemporaryDir folder;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.filePath("config")));
  // A file where the outbox's folder would be.
  QFile blocker(folder.filePath("blocker"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  const QString outboxPath =
      folder.filePath(call.outboxWritable ? "data/outbox.sqlite" : "blocker/outbox.sqlite");
  const QString serverFile = folder.filePath("server.sqlite");
  const record::RecordOpener open = [&](const QString&) {
    if (call.serverAway)
      throw record::RecordUnreachable("Der Server ist nicht erreichbar.", "connection refused");
    return std::make_unique<record::RecordDatabase>(serverFile);
  };

  sdnr_cli::Arguments arguments;
  arguments.save = true;
  arguments.operatorName = "Prüferin";
  arguments.record = Address.toStdString();
  std::vector<sdnr_cli::FileReport> reports;
  std::vector<record::MeasuredImage> images;
  for (const char* uid : {"1.2.3", "1.2.4"}) {
    images.push_back(record_test::Image({uid, "5.00"}));
    sdnr_cli::FileReport report{std::string(uid) + ".dcm", images.back().measurement, {}, {}, {}};
    for (const imaging::HeaderFactSource& source : imaging::HeaderFactSources())
      if (source.listed) report.facts.push_back({source.key, source.label, "", true});
    reports.push_back(report);
  }
  CapturedOutput output;
  const int status = sdnr_cli::SaveAndPrint(arguments, reports, images, open, outboxPath);

  EXPECT_EQ(status, call.status) << output.err();
  std::istringstream lines(output.out());
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    EXPECT_EQ(Column(line, "verdict"), call.verdict) << line;
    EXPECT_EQ(Column(line, "measurement").empty(), call.serverAway) << line;
  }
  EXPECT_EQ(count, 2);
  EXPECT_NE(output.err().find(call.told), std::string::npos) << output.err();
}

INSTANTIATE_TEST_SUITE_P(SdnrCli, SaveWithServerAway, testing::ValuesIn(Calls));

}  // namespace
