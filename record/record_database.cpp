#include "record_database.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <atomic>

#include "record_error.h"
#include "record_location.h"
#include "record_schema.h"

namespace record {
namespace {

constexpr int BusyMilliseconds = 10000;

QString uniqueConnectionName() {
  static std::atomic<int> next{0};
  return QStringLiteral("quantelo-record-%1").arg(next++);
}

[[noreturn]] void fail(const std::string& message, const QSqlError& error) {
  throw RecordError(message, error.text().toStdString());
}

}  // namespace

RecordDatabase::RecordDatabase(const QString& path)
    : path_(path), connection_(uniqueConnectionName()) {
  RefuseNetworkFileSystem(path);
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
  database.setDatabaseName(path);
  database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyMilliseconds));
  if (!database.open()) {
    fail("Der QA-Record „" + path.toStdString() + "“ lässt sich nicht öffnen.",
         database.lastError());
  }
  try {
    // A file that is no SQLite database fails here, before anything is written to it.
    run(QStringLiteral("PRAGMA journal_mode = WAL"));
    run(QStringLiteral("PRAGMA synchronous = FULL"));
    run(QStringLiteral("PRAGMA foreign_keys = ON"));
  } catch (const RecordError& error) {
    throw RecordError("Der QA-Record „" + path.toStdString() +
                          "“ ist beschädigt oder keine Quantelo-Datenbank; er bleibt, wie er ist.",
                      error.cause());
  }
  // Outside the above: a record of a newer schema is told as such.
  migrate();
}

RecordDatabase::~RecordDatabase() {
  QSqlDatabase::database(connection_, false).close();
  QSqlDatabase::removeDatabase(connection_);
}

QSqlQuery RecordDatabase::run(const QString& sql, const QVariantList& values) {
  QSqlQuery query(connection());
  query.setForwardOnly(true);
  if (!query.prepare(sql)) fail("Der QA-Record versteht eine Anfrage nicht.", query.lastError());
  for (const QVariant& value : values) query.addBindValue(value);
  if (!query.exec())
    fail("Der QA-Record lässt sich nicht lesen oder schreiben.", query.lastError());
  return query;
}

int RecordDatabase::schemaVersion() {
  QSqlQuery version = run(QStringLiteral("PRAGMA user_version"));
  const int current = version.next() ? version.value(0).toInt() : 0;
  // Done with: a statement still reading would keep a migration from dropping an index.
  version.finish();
  const auto known = static_cast<int>(Migrations().size());
  if (current > known) {
    throw RecordError("Der QA-Record „" + path_.toStdString() +
                      "“ stammt von einer neueren Quantelo-Version (Schema " +
                      std::to_string(current) + ", diese kennt bis " + std::to_string(known) +
                      ") und bleibt unverändert.");
  }
  return current;
}

void RecordDatabase::migrate() {
  const auto known = static_cast<int>(Migrations().size());
  if (schemaVersion() == known) return;
  WriteTransaction transaction(*this);
  // Read again once writing: another program may have brought the schema forward meanwhile.
  for (int step = schemaVersion(); step < known; ++step) {
    for (const QString& statement : Migrations()[step]) run(statement);
    run(QStringLiteral("PRAGMA user_version = %1").arg(step + 1));
  }
  transaction.commit();
}

QSqlDatabase RecordDatabase::connection() const {
  return QSqlDatabase::database(connection_, false);
}

QStringList RecordDatabase::problems() {
  QStringList found;
  QSqlQuery integrity = run(QStringLiteral("PRAGMA integrity_check"));
  while (integrity.next()) {
    if (integrity.value(0).toString() != QLatin1String("ok"))
      found << integrity.value(0).toString();
  }
  QSqlQuery keys = run(QStringLiteral("PRAGMA foreign_key_check"));
  while (keys.next()) {
    found << QStringLiteral("Zeile %1 in %2 verweist ins Leere (%3)")
                 .arg(keys.value(1).toString(), keys.value(0).toString(), keys.value(2).toString());
  }
  return found;
}

WriteTransaction::WriteTransaction(RecordDatabase& database) : database_(database) {
  database_.run(QStringLiteral("BEGIN IMMEDIATE"));
}

WriteTransaction::~WriteTransaction() {
  if (open_) {
    try {
      database_.run(QStringLiteral("ROLLBACK"));
    } catch (const RecordError&) {
      // Nothing more can be done; SQLite rolls back an open transaction when the file closes.
    }
  }
}

void WriteTransaction::commit() {
  database_.run(QStringLiteral("COMMIT"));
  open_ = false;
}

}  // namespace record
