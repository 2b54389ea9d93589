// A copy of the record made through SQLite's online backup, page by page under a read lock, so
// that it is consistent even while another program writes; never a copy of the live files.
#pragma once

#include <QString>

#include "record_database.h"

namespace record {

// Writes the whole record to target, a file that must not exist yet. Raises RecordError where
// it exists or the backup fails; a backup that failed leaves no file behind. A team record on a
// server is refused with a pointer to pg_dump.
void Backup(RecordDatabase& database, const QString& target);

}  // namespace record
