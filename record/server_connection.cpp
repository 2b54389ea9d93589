#include "server_connection.h"

#include <libpq-fe.h>

#include <QLibrary>
#include <QSqlDriver>
#include <QSqlField>
#include <QSqlQuery>
#include <algorithm>

#include "record_error.h"
#include "record_schema.h"
#include "server_address.h"

namespace record {
namespace {

// The few functions of libpq that Qt's driver does not offer, taken from the libpq the driver has
// loaded once a connection was tried, rather than linked: a program that never uses a team record
// then never loads libpq and what it needs (Kerberos, LDAP, OpenSSL) at its start.
struct Libpq {
  decltype(&PQpingParams) pingParams;
  decltype(&PQstatus) status;
  decltype(&PQsetNoticeProcessor) setNoticeProcessor;
};

const Libpq& libpq() {
  static const Libpq functions = [] {
#ifdef Q_OS_WIN
    QLibrary library(QStringLiteral("libpq"));
#else
    QLibrary library(QStringLiteral("pq"), 5);
#endif
    // The library stays loaded when library goes: the functions serve the program's whole run.
    const auto resolved = [&library](auto function, const char* name) {
      const QFunctionPointer found = library.resolve(name);
      if (found == nullptr) {
        throw RecordError(
            "Für den Team-Record fehlt die PostgreSQL-Bibliothek libpq (Debian-Paket "
            "libpq5).",
            library.errorString().toStdString());
      }
      return reinterpret_cast<decltype(function)>(found);
    };
    return Libpq{resolved(&PQpingParams, "PQpingParams"), resolved(&PQstatus, "PQstatus"),
                 resolved(&PQsetNoticeProcessor, "PQsetNoticeProcessor")};
  }();
  return functions;
}

// The session's settings, in one round trip: how long a writer waits for another's transaction,
// as SQLite's busy timeout; and no compiling of statements to machine code, which the server does
// for those it misjudges as costly (a small table not yet analysed) and which never pays for the
// record's short statements: it took 200 ms of a 225 ms listing of the devices.
const char* const SessionSettings = "SET lock_timeout = '10s'; SET jit = off";

PGconn* handleOf(const QSqlDatabase& database) {
  const QVariant handle = database.driver()->handle();
  if (database.driverName() != QLatin1String("QPSQL") || !handle.isValid()) return nullptr;
  return *static_cast<PGconn* const*>(handle.constData());
}

// A value for Qt's connect options: libpq's quoting; Qt reads ";" as the options' separator.
QString quoted(const QString& keyword, QString value) {
  if (value.contains(u';')) {
    throw RecordError("In der Adresse des Team-Records darf der Wert von „" +
                      keyword.toStdString() + "“ kein „;“ enthalten.");
  }
  value.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
  value.replace(QStringLiteral("'"), QStringLiteral("\\'"));
  return keyword + QStringLiteral("='") + value + u'\'';
}

// Whether a server answers at all, whatever it then says (libpq's ping). Asked after a connection
// failed, so briefly: one that did not answer then is not waited for as long again.
bool answers(const ServerAddress& address) {
  constexpr int PingSeconds = 3;
  QList<QByteArray> texts;
  for (const auto& [keyword, value] : address.parameters) {
    if (keyword != QLatin1String("connect_timeout")) texts << keyword.toUtf8() << value.toUtf8();
  }
  const int timeout = address.value(QStringLiteral("connect_timeout")).toInt();
  texts << "connect_timeout"
        << QByteArray::number(timeout > 0 ? std::min(timeout, PingSeconds) : PingSeconds);
  std::vector<const char*> keywords, values;
  for (qsizetype i = 0; i < texts.size(); i += 2) {
    keywords.push_back(texts[i].constData());
    values.push_back(texts[i + 1].constData());
  }
  keywords.push_back(nullptr);
  values.push_back(nullptr);
  const PGPing ping = libpq().pingParams(keywords.data(), values.data(), 0);
  // A server starting up or shutting down answers, but for now as one out of reach.
  return ping == PQPING_OK || ping == PQPING_NO_ATTEMPT;
}

bool connectionLost(const QSqlDatabase& database, const QSqlError& error) {
  const QString state = error.nativeErrorCode();
  // Class 08: connection exceptions; 57P01 to 57P03: the server shutting down or starting.
  if (state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01") ||
      state == QLatin1String("57P02") || state == QLatin1String("57P03")) {
    return true;
  }
  PGconn* const connection = handleOf(database);
  return connection == nullptr || libpq().status(connection) == CONNECTION_BAD;
}

}  // namespace

void OpenOnServer(QSqlDatabase& database, const QString& address) {
  const ServerAddress parsed = ParseServerAddress(address);
  if (!database.isValid()) {
    throw RecordError(
        "Für den Team-Record fehlt Qts PostgreSQL-Treiber (Debian-Paket libqt6sql6-psql).");
  }
  QStringList options;
  for (const auto& [keyword, value] : parsed.parameters) {
    if (keyword == QLatin1String("host")) {
      database.setHostName(value);
    } else if (keyword == QLatin1String("user")) {
      database.setUserName(value);
    } else if (keyword == QLatin1String("dbname")) {
      database.setDatabaseName(value);
    } else {
      options << quoted(keyword, value);
    }
  }
  database.setConnectOptions(options.join(u';'));
  const std::string named = "Der Team-Record „" + address.toStdString() + "“";
  if (!database.open()) {
    const std::string cause = database.lastError().text().toStdString();
    if (!answers(parsed)) {
      throw RecordUnreachable(named + " ist nicht erreichbar: sein Server antwortet nicht.", cause);
    }
    throw RecordError(named +
                          " lässt sich nicht öffnen: der Server weist die Anmeldung ab (Benutzer, "
                          "Datenbank, Passwort in ~/.pgpass, Zertifikat prüfen).",
                      cause);
  }
  // The server's notices (NOTICE, WARNING) are not the user's business; libpq would print them.
  if (PGconn* const connection = handleOf(database))
    libpq().setNoticeProcessor(
        connection, [](void*, const char*) {}, nullptr);
  QSqlQuery settings(database);
  if (!settings.exec(QString::fromLatin1(SessionSettings)))
    FailOnServer(database, named + " lässt sich nicht einrichten.", settings.lastError());
}

void FailOnServer(const QSqlDatabase& database, const std::string& message,
                  const QSqlError& error) {
  const std::string cause = error.text().toStdString();
  if (connectionLost(database, error)) {
    throw RecordUnreachable("Die Verbindung zum Server des Team-Records ist abgerissen.", cause);
  }
  // 42501: insufficient privilege.
  if (error.nativeErrorCode() == QLatin1String("42501")) {
    throw RecordError(message + " Der Server verweigert es der Anmelderolle: die Programme " +
                          "brauchen die Rolle " + ClientRole + ", die die IT ihr gibt (GRANT " +
                          ClientRole + " TO …), und dürfen nur lesen und ergänzen.",
                      cause);
  }
  throw RecordError(message, cause);
}

QString WithValues(const QSqlDatabase& database, const QString& sql, const QVariantList& values) {
  QString statement;
  statement.reserve(sql.size() + 16 * values.size());
  qsizetype next = 0;
  bool fits = true;
  QChar quote;
  for (const QChar c : sql) {
    if (!quote.isNull()) {
      // A doubled quote inside closes and opens again: the same result.
      if (c == quote) quote = QChar();
    } else if (c == u'\'' || c == u'"') {
      quote = c;
    } else if (c == u'?') {
      if (next == values.size()) {
        fits = false;
        break;
      }
      QSqlField field(QString(), values[next].metaType());
      field.setValue(values[next++]);
      statement += database.driver()->formatValue(field);
      continue;
    }
    statement += c;
  }
  if (!fits || next != values.size()) {
    throw RecordError("Eine Anfrage an den Team-Record passt nicht zu ihren Werten.",
                      sql.toStdString());
  }
  return statement;
}

}  // namespace record
