// One connection to an SQLite QA record: opened with the settings that keep it whole (WAL, a full
// sync at every commit, foreign keys, waiting for another writer), its schema brought forward,
// and a record written by a newer Quantelo refused and left as it is.
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

namespace record {

class RecordDatabase {
 public:
  // Opens the record at path, creating it and its folder where there is none. Raises RecordError
  // for a network file system, a file that is no record or is damaged, and a newer schema.
  explicit RecordDatabase(const QString& path);
  ~RecordDatabase();
  RecordDatabase(const RecordDatabase&) = delete;
  RecordDatabase& operator=(const RecordDatabase&) = delete;

  // The statement with its values bound in order, run; raises RecordError with the database's
  // words as the cause. The result is read forward only, so a long one is never held at once.
  QSqlQuery run(const QString& sql, const QVariantList& values = {});
  // What SQLite's integrity and foreign-key checks find; empty for a sound record.
  QStringList problems();
  // The connection itself, for what Qt SQL does not offer (SQLite's backup).
  QSqlDatabase connection() const;

 private:
  // The schema's version; raises RecordError for one newer than this program knows.
  int schemaVersion();
  void migrate();

  QString path_;
  QString connection_;
};

// A write transaction, taken at once so that two writers wait for each other rather than fail
// half-way; rolled back unless committed.
class WriteTransaction {
 public:
  explicit WriteTransaction(RecordDatabase& database);
  ~WriteTransaction();
  WriteTransaction(const WriteTransaction&) = delete;
  WriteTransaction& operator=(const WriteTransaction&) = delete;
  void commit();

 private:
  RecordDatabase& database_;
  bool open_ = true;
};

}  // namespace record
