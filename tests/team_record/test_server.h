// Databases of their own on the test cluster that pg_cluster.sh starts, one for each test.
#pragma once

#include <QString>

#include "record/server_setup.h"

namespace team_record_test {

// The login role that pg_cluster.sh creates for the programs; ServerDatabase gives it
// quantelo_client, as the IT would.
inline constexpr const char* ClientLogin = "quantelo_test_client";
// A login role that must give a password, which no ~/.pgpass holds.
inline constexpr const char* PasswordLogin = "quantelo_test_password";

// The address of the test cluster's database for the user, on its Unix socket:
// postgresql://USER@%2Ftmp%2Fquantelo-pg-…/DATABASE.
QString ClusterAddress(const QString& user, const QString& database);

// A new database on the test cluster, by default set up (see setUp); dropped at the end. Raises
// record::RecordUnreachable where the cluster is not running: the test then fails.
class ServerDatabase {
 public:
  enum class Start { SetUp, Empty };
  explicit ServerDatabase(Start start = Start::SetUp);
  ~ServerDatabase();
  ServerDatabase(const ServerDatabase&) = delete;
  ServerDatabase& operator=(const ServerDatabase&) = delete;

  // setup-server as the superuser; then ClientLogin holds the programs' role, as the IT gives
  // it to a login role.
  record::ServerSetUp setUp() const;

  const QString& name() const { return name_; }
  // As the programs connect: ClientLogin.
  QString clientAddress() const { return ClusterAddress(ClientLogin, name_); }
  // As the administrator: the cluster's superuser.
  QString adminAddress() const { return ClusterAddress(QStringLiteral("postgres"), name_); }

 private:
  QString name_;
};

}  // namespace team_record_test
