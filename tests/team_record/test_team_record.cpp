// The team record on its test cluster: a server out of reach told from one that refuses, history
// kept by the programs' role even where the triggers are gone, setup-server run twice, and two
// programs saving at once.
#include <gtest/gtest.h>

#include <QSqlQuery>
#include <chrono>
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "record/amendments.h"
#include "record/record_database.h"
#include "record/record_error.h"
#include "record/reference_values.h"
#include "record/session_saving.h"
#include "test_server.h"
#include "tests/record/record_test_data.h"

namespace {

using record::RecordDatabase;
using record::RecordError;
using team_record_test::ClusterAddress;
using team_record_test::ServerDatabase;

// What a statement was refused with: the message and the server's words. A refusal is no
// server out of reach.
template <typename Run>
std::string Refusal(Run run) {
  try {
    run();
    return "";
  } catch (const record::RecordUnreachable& error) {
    ADD_FAILURE() << "told as out of reach: " << error.what() << " " << error.cause();
    return "";
  } catch (const RecordError& error) {
    return std::string(error.what()) + " [" + error.cause() + "]";
  }
}

TEST(TeamRecord, AServerOutOfReachIsToldFromOneThatRefuses) {
  // No password anywhere for the role that must give one.
  qputenv("PGPASSFILE", "/nonexistent/pgpass");
  const ServerDatabase ready;
  const ServerDatabase empty(ServerDatabase::Start::Empty);
  const ServerDatabase older;
  RecordDatabase(older.adminAddress()).run(QStringLiteral("UPDATE schema_version SET version = 2"));
  const QString client = QString::fromLatin1(team_record_test::ClientLogin);
  const struct {
    QString address;
    bool unreachable;
    const char* words;
  } cases[] = {
      {ClusterAddress(client, "quantelo_no_such_database"), false, "weist die Anmeldung ab"},
      {ClusterAddress("quantelo_no_such_role", ready.name()), false, "weist die Anmeldung ab"},
      {ClusterAddress(team_record_test::PasswordLogin, ready.name()), false,
       "weist die Anmeldung ab"},
      {empty.clientAddress(), false, "noch nicht eingerichtet"},
      {older.clientAddress(), false, "Migrationsrolle quantelo_owner"},
      {"postgresql://qa@%2Ftmp%2Fquantelo-no-server/q", true, "nicht erreichbar"},
      {"postgresql://qa@127.0.0.1:1/q", true, "nicht erreichbar"},
      {"postgresql://qa@quantelo-test.invalid/q", true, "nicht erreichbar"},
      // No answer in time (TEST-NET-1 is never routed).
      {"postgresql://qa@192.0.2.1/q?connect_timeout=1", true, "nicht erreichbar"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address.toStdString());
    const auto started = std::chrono::steady_clock::now();
    try {
      RecordDatabase opened(c.address);
      ADD_FAILURE() << "opened";
    } catch (const record::RecordUnreachable& error) {
      EXPECT_TRUE(c.unreachable) << error.what() << " " << error.cause();
      EXPECT_NE(std::string(error.what()).find(c.words), std::string::npos) << error.what();
    } catch (const RecordError& error) {
      EXPECT_FALSE(c.unreachable) << error.what() << " " << error.cause();
      EXPECT_NE(std::string(error.what()).find(c.words), std::string::npos) << error.what();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  }
  // The older record is left as it is.
  QSqlQuery version = RecordDatabase(older.adminAddress(), record::Opening::ForSetUp)
                          .run("SELECT version FROM schema_version");
  ASSERT_TRUE(version.next());
  EXPECT_EQ(version.value(0).toInt(), 2);

  // A connection lost on the way.
  RecordDatabase lost(ready.clientAddress());
  RecordDatabase(ready.adminAddress())
      .run(QStringLiteral("SELECT pg_terminate_backend(pid, 5000) FROM pg_stat_activity WHERE "
                          "datname = ? AND usename = ?"),
           {ready.name(), client});
  EXPECT_THROW(lost.run(QStringLiteral("SELECT 1")), record::RecordUnreachable);
}

TEST(TeamRecord, SetUpTwiceAndHistoryCannotBeRewrittenByHand) {
  const ServerDatabase server(ServerDatabase::Start::Empty);
  const record::ServerSetUp first = server.setUp();
  EXPECT_EQ(first.schemaBefore, 0);
  EXPECT_EQ(first.schemaAfter, static_cast<int>(record::Migrations().size()));
  EXPECT_TRUE(first.changes.contains("GRANT SELECT, INSERT ON measurements TO quantelo_client"))
      << first.changes.join('\n').toStdString();
  EXPECT_EQ(server.setUp().changes, QStringList()) << "the second run changes nothing";

  // A row in every table, saved by the programs' role.
  RecordDatabase client(server.clientAddress());
  const auto saved = record::SaveSession(client, record_test::Session("key-1"),
                                         {record_test::Image({"1.1", "5.00"})});
  ASSERT_TRUE(saved[0].id) << saved[0].refusal;
  record::AddReference(client, {{"SN 42", "", ""}, "45", "sdnr", "5.2", "Abnahme", "", {}});
  record::AddToleranceRule(client, {"sdnr", {}, "", "10", "", "", "", "DIN"});
  record::Void(client, *saved[0].id, "falsche Dicke", "Prüferin");

  RecordDatabase admin(server.adminAddress());
  const auto each = [](const QString& statement) {
    QStringList statements;
    for (const QString& table : record::AppendOnlyTables()) statements << statement.arg(table);
    return statements;
  };
  const QStringList changes =
      each("UPDATE %1 SET id = DEFAULT") + each("DELETE FROM %1") + each("TRUNCATE %1 CASCADE");
  // Without the triggers, the role refuses; the check tells each trigger missing.
  for (const QString& off : each("ALTER TABLE %1 DISABLE TRIGGER USER")) admin.run(off);
  EXPECT_EQ(client.problems().size(), 3 * record::AppendOnlyTables().size())
      << client.problems().join('\n').toStdString();
  for (const QString& change : changes) {
    EXPECT_NE(Refusal([&] { client.run(change); }).find("(42501)"), std::string::npos)
        << change.toStdString() << " by the programs' role";
  }
  // With them, not even the superuser changes history.
  for (const QString& on : each("ALTER TABLE %1 ENABLE TRIGGER USER")) admin.run(on);
  for (const QString& change : changes) {
    EXPECT_NE(Refusal([&] { admin.run(change); }).find("nur ergänzt, nie geändert"),
              std::string::npos)
        << change.toStdString() << " by the superuser";
  }
  for (const QString& table : record::AppendOnlyTables()) {
    QSqlQuery rows = client.run(QStringLiteral("SELECT count(*) FROM %1").arg(table));
    ASSERT_TRUE(rows.next());
    EXPECT_EQ(rows.value(0).toInt(), 1) << table.toStdString();
  }

  // A right granted by hand is found by check and taken back by setup-server.
  admin.run(QStringLiteral("GRANT UPDATE ON measurements TO quantelo_client"));
  EXPECT_EQ(client.problems(), QStringList("Die Rolle quantelo_client darf UPDATE auf "
                                           "measurements; setup-server nimmt das zurück."));
  EXPECT_EQ(server.setUp().changes,
            QStringList("REVOKE UPDATE ON measurements FROM quantelo_client, PUBLIC"));
  EXPECT_EQ(client.problems(), QStringList());
}

// Each program's "key<TAB>id" lines, and whether it ended well.
std::map<std::string, long long> Read(FILE* saver, bool& fine) {
  std::map<std::string, long long> ids;
  char key[64];
  long long id = 0;
  while (std::fscanf(saver, "%63s %lld", key, &id) == 2) ids[key] = id;
  fine = pclose(saver) == 0;
  return ids;
}

TEST(TeamRecord, TwoProgramsSavingAtOnceKeepEachSaveOnce) {
  const ServerDatabase server;
  constexpr int Count = 200;
  const auto started = std::chrono::steady_clock::now();
  std::vector<FILE*> savers;
  for (const char* writer : {"0", "1"}) {
    const std::string command = std::string(SAVER) + " '" + server.clientAddress().toStdString() +
                                "' " + writer + " " + std::to_string(Count);
    savers.push_back(popen(command.c_str(), "r"));
    ASSERT_NE(savers.back(), nullptr);
  }
  bool fine[2] = {false, false};
  const auto first = Read(savers[0], fine[0]);
  const auto second = Read(savers[1], fine[1]);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("%d saves in %.2f s\n", 4 * Count, seconds);
  EXPECT_TRUE(fine[0] && fine[1]);
  ASSERT_EQ(first.size(), 2U * Count);
  ASSERT_EQ(second.size(), 2U * Count);
  std::set<long long> ids;
  for (const auto& [key, id] : first) ids.insert(id);
  for (const auto& [key, id] : second) {
    // A shared save is the same measurement for both; the own ones are new.
    if (key.starts_with("shared-")) {
      EXPECT_EQ(first.at(key), id) << key;
    }
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), 3U * Count);
  RecordDatabase database(server.clientAddress());
  QSqlQuery kept = database.run(QStringLiteral(
      "SELECT count(*), count(DISTINCT s.client_key), count(DISTINCT i.sop_instance_uid) FROM "
      "measurements m JOIN sessions s ON s.id = m.session_id JOIN images i ON i.id = m.image_id"));
  ASSERT_TRUE(kept.next());
  for (int column = 0; column < 3; ++column) EXPECT_EQ(kept.value(column).toInt(), 3 * Count);
  EXPECT_TRUE(database.problems().isEmpty()) << database.problems().join('\n').toStdString();
}

}  // namespace
