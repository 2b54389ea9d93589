// A save as the outbox keeps it until the server takes it: the session with its client key and
// its measured images, as JSON text.
#pragma once

#include <QByteArray>
#include <vector>

#include "session_saving.h"

namespace record {

struct WaitingSave {
  SessionEntry session;
  std::vector<MeasuredImage> images;
};

QByteArray WaitingSaveJson(const WaitingSave& save);

// The save that WaitingSaveJson wrote; raises RecordError for text it did not write. Header facts
// this program does not know are left out: the record keeps only those it knows.
WaitingSave WaitingSaveFromJson(const QByteArray& json);

}  // namespace record
