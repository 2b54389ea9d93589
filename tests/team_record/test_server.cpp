#include "test_server.h"

#include <unistd.h>

#include <QUrl>
#include <atomic>

#include "record/record_database.h"
#include "record/record_schema.h"

namespace team_record_test {
namespace {

// A statement as the superuser on the cluster's own database, outside any record.
void onCluster(const QString& sql) {
  record::RecordDatabase cluster(
      ClusterAddress(QStringLiteral("postgres"), QStringLiteral("postgres")),
      record::Opening::ForSetUp);
  cluster.run(sql);
}

}  // namespace

QString ClusterAddress(const QString& user, const QString& database) {
  return QStringLiteral("postgresql://%1@%2/%3")
      .arg(user, QString::fromLatin1(QUrl::toPercentEncoding(QStringLiteral(TEST_CLUSTER))),
           database);
}

ServerDatabase::ServerDatabase(Start start) {
  static std::atomic<int> next{0};
  name_ = QStringLiteral("quantelo_test_%1_%2").arg(::getpid()).arg(next++);
  onCluster(QStringLiteral("CREATE DATABASE %1").arg(name_));
  if (start == Start::SetUp) setUp();
}

record::ServerSetUp ServerDatabase::setUp() const {
  const record::ServerSetUp done = record::SetUpServer(adminAddress());
  // Roles are the cluster's: the first test's grant serves all.
  record::RecordDatabase admin(adminAddress());
  QSqlQuery member = admin.run(QStringLiteral("SELECT pg_has_role(?, ?, 'MEMBER')"),
                               {ClientLogin, record::ClientRole});
  if (!member.next() || !member.value(0).toBool())
    admin.run(QStringLiteral("GRANT %1 TO %2")
                  .arg(QString::fromLatin1(record::ClientRole), QString::fromLatin1(ClientLogin)));
  return done;
}

ServerDatabase::~ServerDatabase() {
  try {
    onCluster(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name_));
  } catch (...) {
    // The cluster goes with its folder at the end of the tests anyway.
  }
}

}  // namespace team_record_test
