// The team record's address read by libpq's rules, a password refused without a word of it, and
// the defaults a desktop program adds.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>

#include "record/record_error.h"
#include "record/server_address.h"

namespace {

// The parameters as "keyword=value", space-separated, without the defaults.
std::string Parsed(const char* address) {
  std::string text;
  for (const auto& [keyword, value] : record::ParseServerAddress(address).parameters) {
    if (keyword == "connect_timeout" || keyword == "fallback_application_name" ||
        keyword == "sslrootcert")
      continue;
    if (!text.empty()) text += ' ';
    text += (keyword + u'=' + value).toStdString();
  }
  return text;
}

class ServerAddress : public testing::Test {
 protected:
  // The environment's libpq settings would change the defaults.
  void SetUp() override {
    for (const char* variable : {"PGCONNECT_TIMEOUT", "PGSSLMODE", "PGSSLROOTCERT"})
      qunsetenv(variable);
  }
};

TEST_F(ServerAddress, IsReadByLibpqsRules) {
  const struct {
    const char* address;
    const char* parameters;
  } cases[] = {
      {"postgresql://qa@db.example.org:5433/quantelo?sslmode=require",
       "user=qa host=db.example.org port=5433 dbname=quantelo sslmode=require"},
      {"postgres://qa@%2Frun%2Fpostgresql/quantelo",
       "user=qa host=/run/postgresql dbname=quantelo"},
      {"postgresql://qa@/quantelo?host=/tmp/x", "user=qa dbname=quantelo host=/tmp/x"},
      {"postgresql://[2001:db8::1]:5432,db2:5433/q",
       "host=2001:db8::1,db2 port=5432,5433 dbname=q"},
      {"postgresql://a%40b@h/d%20b?application_name=QA%20Team&ssl=true",
       "user=a@b host=h dbname=d b application_name=QA Team sslmode=require"},
      {"postgresql://h/d?dbname=e", "host=h dbname=e"},
      {"POSTGRESQL://h", "host=h"},
      {"postgresql://", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Parsed(c.address), c.parameters) << c.address;
  for (const auto& [where, server] : {std::pair{"postgresql://h/d", true},
                                      {"Postgres://h", true},
                                      {"postgresql:/h", false},
                                      {"/home/qa/record.sqlite", false},
                                      {"record.sqlite", false}}) {
    EXPECT_EQ(record::IsServerAddress(where), server) << where;
  }
}

TEST_F(ServerAddress, IsRefusedWithAReasonButNeverItsPassword) {
  const struct {
    const char* address;
    const char* reason;
  } cases[] = {
      {"postgresql://qa:geheim@h/d", "Passwort"},
      {"postgresql://qa:@h/d", "Passwort"},
      {"postgresql://h/d?password=geheim", "Passwort"},
      {"postgresql://h/d?sslmode=require&password=geheim%zz", "Passwort"},
      {"postgresql://[::1/d", "„]“"},
      {"postgresql://[]/d", "leer"},
      {"postgresql://[::1]x/d", "IPv6"},
      {"postgresql://h/d%zz", "Hexadezimalziffern"},
      {"postgresql://h/d%00", "%00"},
      {"postgresql://h/d?sslmode", "NAME=WERT"},
      {"postgresql://h/d?a=b=c", "NAME=WERT"},
      {"postgresql://h/d?ssl=false", "ssl"},
      {"postgresql://h/d?ssl%20mode=x", "libpqs Angaben"},
  };
  for (const auto& c : cases) {
    try {
      record::ParseServerAddress(c.address);
      ADD_FAILURE() << "accepted " << c.address;
    } catch (const record::RecordError& error) {
      const std::string message = std::string(error.what()) + error.cause();
      EXPECT_NE(message.find(c.reason), std::string::npos) << message;
      EXPECT_EQ(message.find("geheim"), std::string::npos) << message;
    }
  }
}

TEST_F(ServerAddress, GetsADesktopProgramsDefaults) {
  const auto value = [](const char* address, const char* keyword) {
    return record::ParseServerAddress(address).value(keyword).toStdString();
  };
  EXPECT_EQ(value("postgresql://h/d", "connect_timeout"), "10");
  EXPECT_EQ(value("postgresql://h/d?connect_timeout=3", "connect_timeout"), "3");
  EXPECT_EQ(value("postgresql://h/d", "fallback_application_name"), "quantelo");
  // libpq 15 verifies against ~/.postgresql/root.crt only; where there is none, the system's.
  const passwd* user = getpwuid(geteuid());
  const bool ownRoot =
      user && QFileInfo::exists(QDir(user->pw_dir).filePath(".postgresql/root.crt"));
  const std::string system = ownRoot ? "" : "/etc/ssl/certs/ca-certificates.crt";
  EXPECT_EQ(value("postgresql://h/d?sslmode=verify-full", "sslrootcert"), system);
  EXPECT_EQ(value("postgresql://h/d?sslmode=verify-ca", "sslrootcert"), system);
  EXPECT_EQ(value("postgresql://h/d?sslmode=require", "sslrootcert"), "");
  EXPECT_EQ(value("postgresql://h/d?sslmode=verify-full&sslrootcert=/etc/qa.crt", "sslrootcert"),
            "/etc/qa.crt");
  qputenv("PGSSLMODE", "verify-full");
  EXPECT_EQ(value("postgresql://h/d", "sslrootcert"), system);
  qputenv("PGSSLROOTCERT", "/etc/qa.crt");
  EXPECT_EQ(value("postgresql://h/d", "sslrootcert"), "");
}

}  // namespace
