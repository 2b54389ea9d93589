// One connection to the QA record: an SQLite file on this computer or the team record on a
// PostgreSQL server. A file is opened with the settings that keep it whole (WAL, a full sync at
// every commit, foreign keys, waiting for another writer) and its schema brought forward; a
// server's schema is brought forward by setup-server only, with the migration role. A record
// written by a newer Quantelo is refused and left as it is.
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include "connection_name.h"
#include "record_schema.h"

namespace record {

class WriteTransaction;

// What a connection is opened for.
enum class Opening {
  ForUse,    // by the programs: a server's schema must be the one this program knows
  ForSetUp,  // by setup-server: a server's schema as it is, to be brought forward
};

class RecordDatabase {
 public:
  // Opens the record where: a file path, created with its folder where there is none, or a team
  // record's address (postgresql://…, see server_address.h). Raises RecordError for a network
  // file system, a file that is no record or is damaged, a newer schema, and a server's record
  // that is not set up or of an older schema; RecordUnreachable for a server that does not
  // answer.
  explicit RecordDatabase(const QString& where, Opening opening = Opening::ForUse);
  RecordDatabase(const RecordDatabase&) = delete;
  RecordDatabase& operator=(const RecordDatabase&) = delete;

  Dialect dialect() const { return dialect_; }
  // The statement with its values bound in order, run; raises RecordError with the database's
  // words as the cause, RecordUnreachable where the server's connection is lost. On SQLite the
  // result is read forward only, so a long one is never held at once.
  QSqlQuery run(const QString& sql, const QVariantList& values = {});
  // Runs the INSERT and gives the id of the row it added.
  qint64 insert(const QString& sql, const QVariantList& values);
  // What is wrong with the record, empty for a sound one: for a file SQLite's integrity and
  // foreign-key checks; on a server (which enforces the keys itself) the append-only triggers
  // missing or switched off, and rights of the programs' role to change or delete.
  QStringList problems();
  // The connection itself, for what Qt SQL does not offer (SQLite's backup).
  QSqlDatabase connection() const;
  // The schema's version; raises RecordError for one newer than this program knows.
  int schemaVersion();
  // Brings the schema to the newest this program knows, within the caller's transaction; gives
  // the version it had.
  int migrate(const WriteTransaction& within);

 private:
  void openFile();
  void requireCurrentSchema();

  QString where_;
  Dialect dialect_;
  ConnectionName connection_{"quantelo-record"};
};

// A write transaction, taken at once so that two writers wait for each other rather than fail
// half-way; rolled back unless committed. On a server the writers of one database queue for one
// lock, as SQLite's BEGIN IMMEDIATE makes them.
class WriteTransaction {
 public:
  explicit WriteTransaction(RecordDatabase& database);
  ~WriteTransaction();
  WriteTransaction(const WriteTransaction&) = delete;
  WriteTransaction& operator=(const WriteTransaction&) = delete;
  void commit();

 private:
  void rollback();

  RecordDatabase& database_;
  bool open_ = true;
};

}  // namespace record
