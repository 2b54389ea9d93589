#include "save_or_queue.h"

#include <QFileInfo>

#include "server_address.h"

namespace record {

std::unique_ptr<RecordDatabase> OpenRecord(const QString& location) {
  return std::make_unique<RecordDatabase>(location);
}

SaveResult SaveOrQueue(const QString& location, const SessionEntry& session,
                       const std::vector<MeasuredImage>& images, const RecordOpener& open,
                       const QString& outboxPath, const Tell& tell) {
  if (!IsServerAddress(location)) return {SaveSession(*open(location), session, images), {}, 0};
  try {
    const std::unique_ptr<RecordDatabase> database = open(location);
    // The older saves first: a new one never overtakes them.
    if (QFileInfo::exists(outboxPath)) Outbox(outboxPath).send(location, *database, tell);
    return {SaveSession(*database, session, images), {}, 0};
  } catch (const RecordUnreachable& unreachable) {
    try {
      Outbox outbox(outboxPath);
      outbox.add(location, session, images);
      return {{}, unreachable, outbox.waiting(location)};
    } catch (const RecordError& error) {
      // Neither on the server nor on this computer: the caller must tell it as not saved.
      throw RecordError(std::string(unreachable.what()) + " " + error.what(), error.cause());
    }
  }
}

void SendWaiting(const QString& outboxPath, const RecordOpener& open, const Tell& tell) {
  if (!QFileInfo::exists(outboxPath)) return;
  const auto tellFailure = [&tell](const RecordError& error) {
    tell(error.cause().empty() ? error.what()
                               : error.what() + (" [Ursache: " + error.cause() + "]"));
  };
  try {
    Outbox outbox(outboxPath);
    for (const QString& address : outbox.addresses()) {
      try {
        outbox.send(address, *open(address), tell);
      } catch (const RecordUnreachable&) {
        // Waits for the next time; the windows show how many wait.
      } catch (const RecordError& error) {
        tellFailure(error);
      }
    }
  } catch (const RecordError& error) {
    tellFailure(error);
  }
}

}  // namespace record
