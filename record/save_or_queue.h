// Saving a check into the record it is meant for: a file record at once; a team record after the
// saves still waiting for its server, or, where the server cannot be reached, into the outbox
// behind them, so that nothing is lost and nothing overtakes.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "outbox.h"
#include "record_database.h"
#include "record_error.h"
#include "session_saving.h"

namespace record {

// Opens the record at a location (a file or a server's address). For a team record it raises
// RecordUnreachable where the server cannot be reached. The programs use OpenRecord; a test may
// give one that plays a server that comes and goes.
using RecordOpener = std::function<std::unique_ptr<RecordDatabase>(const QString& location)>;
std::unique_ptr<RecordDatabase> OpenRecord(const QString& location);

struct SaveResult {
  // One per image, as SaveSession gives them; empty where the save waits in the outbox.
  std::vector<SavedMeasurement> saved;
  // Where it waits: why the server was out of reach, and how many measurements now wait for it.
  std::optional<RecordUnreachable> unreachable;
  qint64 waiting = 0;
};

// Saves the session into the record at location, opened by open. For a team record the saves
// waiting for it in the outbox at outboxPath go first (refusals told through tell); where its
// server cannot be reached the session joins them. Raises RecordError where the record refuses
// (nothing of the session is then kept) and where the outbox cannot be written.
SaveResult SaveOrQueue(const QString& location, const SessionEntry& session,
                       const std::vector<MeasuredImage>& images, const RecordOpener& open,
                       const QString& outboxPath, const Tell& tell);

// Sends what waits in the outbox at outboxPath, for every record; a server out of reach keeps
// its saves for the next time. What a server refuses, and a failure of the outbox or of a record,
// is told through tell. Nothing where there is no outbox.
void SendWaiting(const QString& outboxPath, const RecordOpener& open, const Tell& tell);

}  // namespace record
