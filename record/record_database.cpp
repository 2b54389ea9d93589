#include "record_database.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>

#include "record_error.h"
#include "record_location.h"
#include "server_address.h"
#include "server_connection.h"

namespace record {
namespace {

constexpr int BusyMilliseconds = 10000;

// The lock every writer of a server's record takes for its transaction: "QUANTELO" in ASCII.
const char* const WriterLock = "SELECT pg_advisory_xact_lock(5860612367437285455)";

[[noreturn]] void fail(const std::string& message, const QSqlError& error) {
  throw RecordError(message, error.text().toStdString());
}

}  // namespace

RecordDatabase::RecordDatabase(const QString& where, Opening opening)
    : where_(where), dialect_(IsServerAddress(where) ? Dialect::Postgresql : Dialect::Sqlite) {
  if (dialect_ == Dialect::Sqlite) {
    openFile();
    // Outside openFile: a record of a newer schema is told as such.
    if (schemaVersion() < static_cast<int>(Migrations().size())) {
      WriteTransaction transaction(*this);
      migrate(transaction);
      transaction.commit();
    }
    return;
  }
  QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection_.text());
  OpenOnServer(database, where);
  if (opening == Opening::ForUse) requireCurrentSchema();
}

void RecordDatabase::openFile() {
  RefuseNetworkFileSystem(where_);
  QDir().mkpath(QFileInfo(where_).absolutePath());
  QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_.text());
  database.setDatabaseName(where_);
  database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyMilliseconds));
  if (!database.open()) {
    fail("Der QA-Record „" + where_.toStdString() + "“ lässt sich nicht öffnen.",
         database.lastError());
  }
  try {
    // A file that is no SQLite database fails here, before anything is written to it.
    run(QStringLiteral("PRAGMA journal_mode = WAL"));
    run(QStringLiteral("PRAGMA synchronous = FULL"));
    run(QStringLiteral("PRAGMA foreign_keys = ON"));
  } catch (const RecordError& error) {
    throw RecordError("Der QA-Record „" + where_.toStdString() +
                          "“ ist beschädigt oder keine Quantelo-Datenbank; er bleibt, wie er ist.",
                      error.cause());
  }
}

QSqlQuery RecordDatabase::run(const QString& sql, const QVariantList& values) {
  QSqlQuery query(connection());
  if (dialect_ == Dialect::Postgresql) {
    // Read whole: QPSQL reads a forward-only result row by row and loses the rest as soon as
    // the connection runs another statement, which SQLite allows.
    if (!query.exec(values.isEmpty() ? sql : WithValues(connection(), sql, values))) {
      FailOnServer(connection(), "Der QA-Record lässt sich nicht lesen oder schreiben.",
                   query.lastError());
    }
    return query;
  }
  query.setForwardOnly(true);
  if (!query.prepare(sql)) fail("Der QA-Record versteht eine Anfrage nicht.", query.lastError());
  for (const QVariant& value : values) query.addBindValue(value);
  if (!query.exec())
    fail("Der QA-Record lässt sich nicht lesen oder schreiben.", query.lastError());
  return query;
}

qint64 RecordDatabase::insert(const QString& sql, const QVariantList& values) {
  QSqlQuery added = run(sql + QStringLiteral(" RETURNING id"), values);
  if (!added.next()) fail("Der QA-Record nennt die neue Zeile nicht.", added.lastError());
  const qint64 id = added.value(0).toLongLong();
  // Done with: SQLite's statement is then complete.
  added.finish();
  return id;
}

int RecordDatabase::schemaVersion() {
  int current = 0;
  if (dialect_ == Dialect::Sqlite) {
    QSqlQuery version = run(QStringLiteral("PRAGMA user_version"));
    current = version.next() ? version.value(0).toInt() : 0;
    // Done with: a statement still reading would keep a migration from dropping an index.
    version.finish();
  } else {
    QSqlQuery table =
        run(QStringLiteral("SELECT to_regclass(?) IS NOT NULL"), {SchemaVersionTable});
    if (table.next() && table.value(0).toBool()) {
      QSqlQuery version = run(QStringLiteral("SELECT version FROM %1").arg(SchemaVersionTable));
      current = version.next() ? version.value(0).toInt() : 0;
    }
  }
  const auto known = static_cast<int>(Migrations().size());
  if (current > known) {
    throw RecordError("Der QA-Record „" + where_.toStdString() +
                      "“ stammt von einer neueren Quantelo-Version (Schema " +
                      std::to_string(current) + ", diese kennt bis " + std::to_string(known) +
                      ") und bleibt unverändert.");
  }
  return current;
}

// The programs never change a server's schema: the migration role does, through setup-server.
void RecordDatabase::requireCurrentSchema() {
  const int current = schemaVersion();
  const auto known = static_cast<int>(Migrations().size());
  if (current == known) return;
  const std::string setUp = "quantelo-record setup-server --record " + where_.toStdString();
  if (current == 0) {
    throw RecordError("Der Team-Record „" + where_.toStdString() +
                      "“ ist noch nicht eingerichtet. Das tut die IT einmal mit „" + setUp +
                      "“, angemeldet als Verwalter der Datenbank.");
  }
  throw RecordError("Der Team-Record „" + where_.toStdString() + "“ hat Schema " +
                    std::to_string(current) + ", diese Quantelo-Version braucht Schema " +
                    std::to_string(known) + ". Die Programme ändern das Schema nie: bitte „" +
                    setUp + "“ mit der Migrationsrolle " + OwnerRole + " ausführen lassen.");
}

int RecordDatabase::migrate(const WriteTransaction& /*within*/) {
  // Read once writing: another program may have brought the schema forward meanwhile.
  const int before = schemaVersion();
  const std::vector<QStringList>& migrations = Migrations(dialect_);
  if (dialect_ == Dialect::Postgresql && before == 0) {
    run(QStringLiteral("CREATE TABLE %1 (version INTEGER NOT NULL)").arg(SchemaVersionTable));
    run(QStringLiteral("INSERT INTO %1 (version) VALUES (0)").arg(SchemaVersionTable));
  }
  for (int step = before; step < static_cast<int>(migrations.size()); ++step) {
    for (const QString& statement : migrations[step]) run(statement);
    if (dialect_ == Dialect::Sqlite) {
      run(QStringLiteral("PRAGMA user_version = %1").arg(step + 1));
    } else {
      run(QStringLiteral("UPDATE %1 SET version = ?").arg(SchemaVersionTable), {step + 1});
    }
  }
  return before;
}

QSqlDatabase RecordDatabase::connection() const {
  return QSqlDatabase::database(connection_.text(), false);
}

WriteTransaction::WriteTransaction(RecordDatabase& database) : database_(database) {
  if (database_.dialect() == Dialect::Sqlite) {
    database_.run(QStringLiteral("BEGIN IMMEDIATE"));
    return;
  }
  database_.run(QStringLiteral("BEGIN"));
  try {
    database_.run(QString::fromLatin1(WriterLock));
  } catch (const RecordError&) {
    rollback();
    throw;
  }
}

WriteTransaction::~WriteTransaction() {
  if (open_) rollback();
}

void WriteTransaction::rollback() {
  try {
    database_.run(QStringLiteral("ROLLBACK"));
  } catch (const RecordError&) {
    // Nothing more can be done; SQLite rolls back an open transaction when the file closes, a
    // server when the connection ends.
  }
  open_ = false;
}

void WriteTransaction::commit() {
  database_.run(QStringLiteral("COMMIT"));
  open_ = false;
}

}  // namespace record
