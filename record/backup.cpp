#include "backup.h"

#include <sqlite3.h>

#include <QFile>
#include <QSqlDriver>

#include "record_error.h"

namespace record {
namespace {

constexpr int BusyMilliseconds = 10000;
constexpr int PauseMilliseconds = 50;

// The SQLite connection under Qt's; Debian's Qt driver uses the system's SQLite library, the one
// linked here.
sqlite3* sqliteHandle(const QSqlDatabase& connection) {
  const QVariant handle = connection.driver()->handle();
  if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
    throw RecordError("Der QA-Record ist keine SQLite-Datenbank; so lässt er sich nicht sichern.");
  return *static_cast<sqlite3* const*>(handle.constData());
}

// The backup's status: SQLITE_DONE when the whole record is copied. Another connection's write
// lock is waited for, up to the busy timeout.
int copyAll(sqlite3* source, sqlite3* copy) {
  sqlite3_backup* backup = sqlite3_backup_init(copy, "main", source, "main");
  if (backup == nullptr) return sqlite3_errcode(copy);
  int status = SQLITE_OK;
  for (int waited = 0; waited <= BusyMilliseconds; waited += PauseMilliseconds) {
    status = sqlite3_backup_step(backup, -1);
    if (status != SQLITE_BUSY && status != SQLITE_LOCKED) break;
    sqlite3_sleep(PauseMilliseconds);
  }
  const int finished = sqlite3_backup_finish(backup);
  return status == SQLITE_DONE && finished != SQLITE_OK ? finished : status;
}

}  // namespace

void Backup(RecordDatabase& database, const QString& target) {
  if (database.dialect() == Dialect::Postgresql) {
    throw RecordError(
        "Den Team-Record auf dem Server sichert pg_dump (z. B. „pg_dump --format=custom "
        "--file=quantelo.dump DATENBANK“) oder die Datensicherung der IT; backup sichert einen "
        "QA-Record in einer SQLite-Datei.");
  }
  sqlite3* const source = sqliteHandle(database.connection());
  const std::string name = target.toStdString();
  // Claimed before anything is written: no file is overwritten, not even one made meanwhile.
  QFile claim(target);
  if (!claim.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
    throw RecordError(
        QFile::exists(target)
            ? "Die Sicherung „" + name + "“ gibt es schon; sie wird nicht überschrieben."
            : "Die Sicherung „" + name + "“ lässt sich nicht anlegen.",
        claim.errorString().toStdString());
  }
  claim.close();
  sqlite3* copy = nullptr;
  int status = sqlite3_open_v2(target.toUtf8().constData(), &copy, SQLITE_OPEN_READWRITE, nullptr);
  if (status == SQLITE_OK) {
    sqlite3_busy_timeout(copy, BusyMilliseconds);
    status = copyAll(source, copy);
  }
  const std::string cause = copy != nullptr ? sqlite3_errmsg(copy) : sqlite3_errstr(status);
  sqlite3_close(copy);
  if (status != SQLITE_DONE) {
    QFile::remove(target);
    throw RecordError("Die Sicherung „" + name + "“ ist misslungen und wurde entfernt.", cause);
  }
}

}  // namespace record
