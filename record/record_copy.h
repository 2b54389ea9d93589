// One record copied into another, a single PC's into the team record: every row as it was stored
// (verdicts, deviations and references stay frozen), found again in the target by what it is
// rather than by its number, so that a second copy adds nothing.
#pragma once

#include <QString>
#include <array>

#include "record_database.h"

namespace record {

// Rows per table, in the order devices, sessions, images, measurements, reference values,
// tolerance rules, amendments.
struct CopyCounts {
  std::array<qint64, 7> copied{};
  std::array<qint64, 7> present{};  // in the target already, with the same content
};

// Copies every row of source that target lacks, in one write transaction of target, and gives
// the counts. Rows are matched by their natural keys: a device by manufacturer, model and serial
// number, a session by its client key, an image by its SOP Instance UID, a measurement by its
// image, reference values, tolerance rules and amendments by all their columns; ids (also those
// of a reference value's mean_of) are translated into the target's.
// Raises RecordError, with nothing of the copy kept, where a row of source has its key in target
// with another content (e.g. the same SOP Instance UID with another SHA-256): the message names
// each such row and the columns that differ. Also where either record cannot be read or written.
// Example: copying a record of 3 sessions into an empty one gives copied {1, 3, 12, 12, 1, 1, 0};
// copying it again gives copied all 0 and present {1, 3, 12, 12, 1, 1, 0}.
CopyCounts CopyRecord(RecordDatabase& source, RecordDatabase& target);

// "Kopiert: 1 Gerät, 3 Sitzungen, …; schon vorhanden: nichts."
QString CopyCountsInWords(const CopyCounts& counts);

// Raises RecordError where the two locations name the same record: the same text, or files that
// are the same (through a link too).
void RefuseSameRecord(const QString& from, const QString& to);

}  // namespace record
