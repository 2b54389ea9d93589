// The outbox: saves meant for a team record whose server could not be reached, kept on this
// computer in an SQLite file until the server takes them, oldest first, each once (the session's
// client key makes a save sent again harmless). A file record is on this computer and never has
// one.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "connection_name.h"
#include "record_database.h"
#include "session_saving.h"
#include "waiting_save.h"

namespace record {

// outbox.sqlite in the user's data folder (~/.local/share/quantelo on Linux), beside the default
// record.
QString OutboxLocation();

// "1 Messung wartet auf den Server", "3 Messungen warten auf den Server".
QString WaitingText(qint64 measurements);

// Tells the user something in German: a save the server refused once it arrived.
using Tell = std::function<void(const std::string& message)>;

class Outbox {
 public:
  // Opens the outbox at path, creating it and its folder where there is none. Raises RecordError
  // where it cannot be opened or written, or was written by a newer Quantelo.
  explicit Outbox(const QString& path);
  Outbox(const Outbox&) = delete;
  Outbox& operator=(const Outbox&) = delete;

  // Keeps the save for the record at address behind those already waiting, on the disk before it
  // returns. Raises RecordError where it cannot, and for an address that holds a password.
  void add(const QString& address, const SessionEntry& session,
           const std::vector<MeasuredImage>& images);
  // The measurements (images) waiting for the record at address.
  qint64 waiting(const QString& address);
  // The addresses that saves wait for, the one waited for longest first.
  QStringList addresses();

  // Sends the saves waiting for the record at address into database, oldest first; each leaves
  // the outbox only once the record has committed it. An image the record refuses (e.g. recorded
  // meanwhile from elsewhere) is told through tell and kept in the outbox among the refused, with
  // the reason. Raises RecordUnreachable where the server drops out and RecordError where it
  // refuses a save as a whole: that save and those after it wait on, in their order.
  void send(const QString& address, RecordDatabase& database, const Tell& tell);

 private:
  QSqlQuery run(const QString& sql, const QVariantList& values = {});
  // Takes a save the record has committed out of the waiting ones and keeps its refused images;
  // false where another program did so first.
  bool settle(qint64 id, const QString& address, const WaitingSave& save,
              const std::vector<SavedMeasurement>& outcome);
  [[noreturn]] void failWriting(const std::string& cause) const;

  QString path_;
  ConnectionName connection_{"quantelo-outbox"};
};

// How many measurements wait for the record at address in the outbox at outboxPath; 0 where there
// is no outbox (looking creates none). Raises RecordError where it cannot be read.
qint64 WaitingFor(const QString& outboxPath, const QString& address);

}  // namespace record
