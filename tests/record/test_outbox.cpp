// Saves for a team record whose server comes and goes: each kept in the outbox while it is away
// and sent when it is back, in order and once, also after a crash between the server's commit and
// the removal from the outbox; what the server refuses on arrival is told and kept.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QTemporaryDir>
#include <sstream>

#include "imaging/header_facts.h"
#include "record/record_error.h"
#include "record/save_or_queue.h"
#include "record_test_data.h"

namespace {

using record::RecordDatabase;

const QString Address = QStringLiteral("postgresql://qa@server.example/record");

// The team record played by an SQLite file behind a server that may be away (its connection
// refused) or broken (refusing every save as a whole, e.g. for want of rights).
class Server {
 public:
  enum class State { Up, Away, Broken };

  explicit Server(QString file) : file_(std::move(file)) {}
  void set(State state) { state_ = state; }
  record::RecordOpener opener() {
    return [this](const QString& address) -> std::unique_ptr<RecordDatabase> {
      EXPECT_EQ(address, Address);
      if (state_ == State::Away)
        throw record::RecordUnreachable("Der Server ist nicht erreichbar.", "connection refused");
      if (state_ == State::Broken)
        throw record::RecordError("Der Server verweigert das Speichern.", "permission denied");
      return std::make_unique<RecordDatabase>(file_);
    };
  }
  const QString& file() const { return file_; }
  // Its sessions in the order kept, each as its images' SOP Instance UIDs: "a,b c".
  std::string sessions() const {
    RecordDatabase database(file_);
    QSqlQuery query = database.run(QStringLiteral(
        "SELECT group_concat(uid, ',') FROM (SELECT m.session_id AS session, "
        "i.sop_instance_uid AS uid FROM measurements m JOIN images i ON i.id = m.image_id "
        "ORDER BY m.id) GROUP BY session ORDER BY session"));
    QStringList found;
    while (query.next()) found << query.value(0).toString();
    return found.join(' ').toStdString();
  }

 private:
  QString file_;
  State state_ = State::Up;
};

qint64 RefusedKept(const QString& outboxPath) {
  auto database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("refused"));
  database.setDatabaseName(outboxPath);
  qint64 count = -1;
  if (database.open()) {
    QSqlQuery query(QStringLiteral("SELECT count(*) FROM refused"), database);
    if (query.next()) count = query.value(0).toLongLong();
  }
  database = {};
  QSqlDatabase::removeDatabase(QStringLiteral("refused"));
  return count;
}

std::vector<record::MeasuredImage> Images(const std::string& uids) {
  std::vector<record::MeasuredImage> images;
  std::istringstream list(uids);
  for (std::string uid; std::getline(list, uid, ',');)
    images.push_back(record_test::Image({uid.c_str(), "5.00"}));
  return images;
}

struct Sequence {
  const char* name;
  // up | away | broken: the server's state; save:UIDS: a check with those images through
  // SaveOrQueue; send: the periodic sending; commit: the last check that waits committed by the
  // server as if the program died before it took it out of the outbox; direct:UIDS: a check
  // saved into the record from another computer.
  const char* steps;
  const char*
      outcomes;  // per save: "q<n>" waits with n measurements waiting, "s" saved, "x" failed
  const char* recorded;  // the record's sessions afterwards
  qint64 waiting;        // measurements still waiting
  int refusalsTold;
};

const Sequence Sequences[] = {
    {"away, away, back: all sent in order, once", "away save:a save:b,c up save:d send", "q1 q3 s",
     "a b,c d", 0, 0},
    {"back, sent by the periodic sending alone", "away save:a save:b send up send send", "q1 q2",
     "a b", 0, 0},
    {"crash after the commit, before the removal", "away save:a up commit save:b send", "q1 s",
     "a b", 0, 0},
    {"refused on arrival: told and kept, the rest sent", "direct:b away save:a,b up save:c", "q2 s",
     "b a c", 0, 1},
    {"refused whole: waits in its place, the new save fails", "away save:a broken save:b up send",
     "q1 x", "a", 0, 0},
    {"still away: nothing leaves", "away save:a send save:b", "q1 q2", "", 2, 0},
};

void PrintTo(const Sequence& sequence, std::ostream* out) {
  *out << sequence.name;
}

class OutboxSequences : public testing::TestWithParam<Sequence> {};

TEST_P(OutboxSequences, SendsInOrderAndOnce) {
  const Sequence& sequence = GetParam();
  SCOPED_TRACE(sequence.name);
  QTemporaryDir folder;
  const QString outboxPath = folder.filePath("data/outbox.sqlite");
  Server server(folder.filePath("server.sqlite"));
  std::vector<std::string> told;
  const record::Tell tell = [&told](const std::string& message) { told.push_back(message); };
  std::optional<record::WaitingSave> lastQueued;
  std::vector<std::string> outcomes;
  int checks = 0;

  std::istringstream steps(sequence.steps);
  for (std::string step; steps >> step;) {
    const std::string uids = step.substr(step.find(':') + 1);
    const record::SessionEntry session =
        record_test::Session(("check-" + std::to_string(++checks)).c_str());
    if (step == "up") {
      server.set(Server::State::Up);
    } else if (step == "away") {
      server.set(Server::State::Away);
    } else if (step == "broken") {
      server.set(Server::State::Broken);
    } else if (step == "send") {
      record::SendWaiting(outboxPath, server.opener(), tell);
    } else if (step == "commit") {
      record::SaveSession(*server.opener()(Address), lastQueued->session, lastQueued->images);
    } else if (step.starts_with("direct:")) {
      record::SaveSession(*server.opener()(Address), session, Images(uids));
    } else {
      try {
        const record::SaveResult result =
            record::SaveOrQueue(Address, session, Images(uids), server.opener(), outboxPath, tell);
        outcomes.push_back(result.saved.empty() ? "q" + std::to_string(result.waiting) : "s");
        if (result.saved.empty()) lastQueued = record::WaitingSave{session, Images(uids)};
      } catch (const record::RecordError&) {
        outcomes.push_back("x");
      }
    }
  }
  std::string joined;
  for (const std::string& outcome : outcomes) joined += (joined.empty() ? "" : " ") + outcome;
  EXPECT_EQ(joined, sequence.outcomes);
  EXPECT_EQ(server.sessions(), sequence.recorded);
  EXPECT_EQ(record::WaitingFor(outboxPath, Address), sequence.waiting);
  ASSERT_EQ(static_cast<int>(told.size()), sequence.refusalsTold);
  EXPECT_EQ(RefusedKept(outboxPath), sequence.refusalsTold);
  for (const std::string& message : told)
    EXPECT_NE(message.find("schon gespeichert"), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(Record, OutboxSequences, testing::ValuesIn(Sequences));

// Every table's rows, in order, as text.
std::string Rows(const QString& file) {
  RecordDatabase database(file);
  QStringList rows;
  for (const char* table : {"devices", "sessions", "images", "measurements"}) {
    QSqlQuery query = database.run(QStringLiteral("SELECT * FROM %1 ORDER BY id").arg(table));
    while (query.next()) {
      QStringList row = {QString::fromLatin1(table)};
      for (int column = 0; column < query.record().count(); ++column)
        row << query.value(column).toString();
      rows << row.join('|');
    }
  }
  return rows.join('\n').toStdString();
}

TEST(Outbox, KeepsASaveThatWaitedAsTheSaveAtOnce) {
  record::MeasuredImage measured = record_test::Image({"1.2.3", "5.00"});
  measured.facts.clear();
  for (const imaging::HeaderFactSource& source : imaging::HeaderFactSources())
    measured.facts.push_back({source.key, {}, "„" + std::string(source.key) + "“"});
  measured.presentationIntent = "FOR PROCESSING";
  measured.rescaleSlope = "1";
  measured.rescaleIntercept = "-1024";
  measured.automaticPlacement = false;
  measured.warnings = {"Bildverarbeitung", "verlustbehaftet komprimiert"};
  measured.remark = "Raster neu";
  record::MeasuredImage typed = record_test::Image({"", "4.10", "65"});
  typed.typed = true;
  const std::vector<record::MeasuredImage> images = {measured, typed};
  const record::SessionEntry session = record_test::Session("key-1");
  QTemporaryDir folder;
  const QString outboxPath = folder.filePath("outbox.sqlite");
  const record::Tell tell = [](const std::string& message) { ADD_FAILURE() << message; };

  // A file record is saved at once, without an outbox.
  const QString file = folder.filePath("file.sqlite");
  EXPECT_EQ(
      record::SaveOrQueue(file, session, images, record::OpenRecord, outboxPath, tell).saved.size(),
      2u);
  EXPECT_FALSE(QFileInfo::exists(outboxPath));
  Server server(folder.filePath("server.sqlite"));
  server.set(Server::State::Away);
  EXPECT_EQ(
      record::SaveOrQueue(Address, session, images, server.opener(), outboxPath, tell).waiting, 2);
  server.set(Server::State::Up);
  record::SendWaiting(outboxPath, server.opener(), tell);
  EXPECT_EQ(Rows(server.file()), Rows(file));
  EXPECT_NE(Rows(file).find("Raster neu"), std::string::npos);
}

}  // namespace
