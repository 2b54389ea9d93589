#include "outbox.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QUrl>
#include <QUrlQuery>

#include "entries_in_words.h"
#include "record_error.h"
#include "record_location.h"
#include "server_address.h"

namespace record {
namespace {

constexpr int BusyMilliseconds = 10000;
constexpr int SchemaVersion = 1;

std::string quoted(const QString& path) {
  return "„" + path.toStdString() + "“";
}

// When the check was saved, as the user saw it.
std::string savedAt(const SessionEntry& session) {
  return LocalTime(session.performedAt).toStdString();
}

// Enough of the measurement for the user to find it: when, which device, which thickness.
std::string refusalText(const SessionEntry& session, const MeasuredImage& image,
                        const std::string& reason, const QString& outboxPath) {
  return "Der Server hat eine Messung abgelehnt, die auf ihn gewartet hat (gespeichert am " +
         savedAt(session) + ", Gerät " + FactValue(image, "serial_number") + ", " +
         FactValue(image, "thickness_mm") + " mm, SDNR " + image.measurement.sdnr + "): " + reason +
         " Sie bleibt in der Warteschlange " + quoted(outboxPath) + " aufbewahrt.";
}

// A damaged save stays where it is and holds up those after it rather than let them overtake it.
WaitingSave readWaiting(const QByteArray& json, const QString& outboxPath) {
  try {
    return WaitingSaveFromJson(json);
  } catch (const RecordError& error) {
    throw RecordError(error.what() + (" (Warteschlange " + quoted(outboxPath) + ")"),
                      error.cause());
  }
}

}  // namespace

QString OutboxLocation() {
  return QuanteloDataFolder() + QStringLiteral("/outbox.sqlite");
}

QString WaitingText(qint64 measurements) {
  return measurements == 1 ? QStringLiteral("1 Messung wartet auf den Server")
                           : QStringLiteral("%1 Messungen warten auf den Server").arg(measurements);
}

Outbox::Outbox(const QString& path) : path_(path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_.text());
  database.setDatabaseName(path);
  database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyMilliseconds));
  if (!database.open()) failWriting(database.lastError().text().toStdString());
  // A rollback journal rather than WAL: the data folder may be on a network home folder, where
  // WAL's shared memory does not work. Each commit reaches the disk before it returns.
  run(QStringLiteral("PRAGMA journal_mode = DELETE"));
  run(QStringLiteral("PRAGMA synchronous = FULL"));
  const auto version = [this] {
    QSqlQuery query = run(QStringLiteral("PRAGMA user_version"));
    return query.next() ? query.value(0).toInt() : 0;
  };
  if (version() == SchemaVersion) return;
  run(QStringLiteral("BEGIN IMMEDIATE"));
  // Read again once writing: another program may have created it meanwhile. (A failure rolls
  // back as the connection closes.)
  const int found = version();
  if (found == 0) {
    // AUTOINCREMENT: an id is never given twice, so a save another program settled and removed
    // meanwhile can never be mistaken for a newer one.
    run(QStringLiteral(
        "CREATE TABLE waiting (id INTEGER PRIMARY KEY AUTOINCREMENT, address TEXT NOT NULL, "
        "client_key TEXT NOT NULL UNIQUE, measurements INTEGER NOT NULL, save TEXT NOT NULL, "
        "queued_at TEXT NOT NULL)"));
    run(QStringLiteral(
        "CREATE TABLE refused (id INTEGER PRIMARY KEY AUTOINCREMENT, address TEXT NOT NULL, "
        "save TEXT NOT NULL, reason TEXT NOT NULL, refused_at TEXT NOT NULL)"));
    run(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion));
  }
  run(QStringLiteral("COMMIT"));
  if (found > SchemaVersion) {
    throw RecordError("Die Warteschlange für den Server " + quoted(path_) +
                      " stammt von einer neueren Quantelo-Version und bleibt unverändert.");
  }
}

void Outbox::failWriting(const std::string& cause) const {
  throw RecordError("Die Warteschlange für den Server " + quoted(path_) +
                        " lässt sich nicht öffnen oder schreiben.",
                    cause);
}

QSqlQuery Outbox::run(const QString& sql, const QVariantList& values) {
  QSqlQuery query(QSqlDatabase::database(connection_.text(), false));
  query.setForwardOnly(true);
  if (!query.prepare(sql)) failWriting(query.lastError().text().toStdString());
  for (const QVariant& value : values) query.addBindValue(value);
  if (!query.exec()) failWriting(query.lastError().text().toStdString());
  return query;
}

void Outbox::add(const QString& address, const SessionEntry& session,
                 const std::vector<MeasuredImage>& images) {
  const QUrl url(address);
  if (!url.password().isEmpty() || QUrlQuery(url).hasQueryItem(QStringLiteral("password"))) {
    throw RecordError(
        "Die Adresse des Team-Records enthält ein Passwort, das nicht gespeichert wird; es gehört "
        "in ~/.pgpass.");
  }
  run(QStringLiteral("INSERT INTO waiting (address, client_key, measurements, save, queued_at) "
                     "VALUES (?, ?, ?, ?, ?)"),
      {address, session.clientKey, static_cast<qint64>(images.size()),
       QString::fromUtf8(WaitingSaveJson({session, images})),
       QDateTime::currentDateTimeUtc().toString(Qt::ISODate)});
}

qint64 Outbox::waiting(const QString& address) {
  QSqlQuery query =
      run(QStringLiteral("SELECT coalesce(sum(measurements), 0) FROM waiting WHERE address = ?"),
          {address});
  return query.next() ? query.value(0).toLongLong() : 0;
}

QStringList Outbox::addresses() {
  QSqlQuery query =
      run(QStringLiteral("SELECT address FROM waiting GROUP BY address ORDER BY min(id)"));
  QStringList found;
  while (query.next()) found << query.value(0).toString();
  return found;
}

void Outbox::send(const QString& address, RecordDatabase& database, const Tell& tell) {
  std::vector<std::pair<qint64, QByteArray>> waiting;
  {
    QSqlQuery query = run(
        QStringLiteral("SELECT id, save FROM waiting WHERE address = ? ORDER BY id"), {address});
    while (query.next())
      waiting.emplace_back(query.value(0).toLongLong(), query.value(1).toString().toUtf8());
  }
  for (const auto& [id, json] : waiting) {
    const WaitingSave save = readWaiting(json, path_);
    std::vector<SavedMeasurement> outcome;
    try {
      outcome = SaveSession(database, save.session, save.images);
    } catch (const RecordUnreachable&) {
      throw;
    } catch (const RecordError& error) {
      throw RecordError("Eine Messung vom " + savedAt(save.session) +
                            ", die auf den Server wartet, lässt sich nicht senden; sie wartet "
                            "weiter. " +
                            error.what(),
                        error.cause());
    }
    // Told only by the program that settled it, so once.
    if (!settle(id, address, save, outcome)) continue;
    for (std::size_t i = 0; i < outcome.size(); ++i) {
      if (!outcome[i].id)
        tell(refusalText(save.session, save.images[i], outcome[i].refusal, path_));
    }
  }
}

bool Outbox::settle(qint64 id, const QString& address, const WaitingSave& save,
                    const std::vector<SavedMeasurement>& outcome) {
  run(QStringLiteral("BEGIN IMMEDIATE"));
  try {
    const QSqlQuery removed =
        run(QStringLiteral("DELETE FROM waiting WHERE id = ? AND client_key = ?"),
            {id, save.session.clientKey});
    const bool ours = removed.numRowsAffected() == 1;
    for (std::size_t i = 0; ours && i < outcome.size(); ++i) {
      if (outcome[i].id) continue;
      run(QStringLiteral(
              "INSERT INTO refused (address, save, reason, refused_at) VALUES (?, ?, ?, ?)"),
          {address, QString::fromUtf8(WaitingSaveJson({save.session, {save.images[i]}})),
           QString::fromStdString(outcome[i].refusal),
           QDateTime::currentDateTimeUtc().toString(Qt::ISODate)});
    }
    run(QStringLiteral("COMMIT"));
    return ours;
  } catch (const RecordError&) {
    QSqlDatabase::database(connection_.text(), false).rollback();
    throw;
  }
}

qint64 WaitingFor(const QString& outboxPath, const QString& address) {
  if (!QFileInfo::exists(outboxPath)) return 0;
  return Outbox(outboxPath).waiting(address);
}

}  // namespace record
