// Which record a program uses, and whether it may live there.
#pragma once

#include <QString>

namespace record {

// The user's data folder for Quantelo: ~/.local/share/quantelo on Linux.
QString QuanteloDataFolder();

// --record WHERE when given (not empty), else the environment's QUANTELO_RECORD, else
// record.sqlite in the user's data folder (~/.local/share/quantelo on Linux).
QString RecordLocation(const QString& option);

// Raises RecordError for a file on a network file system (NFS, SMB/CIFS), whose locking SQLite
// cannot rely on; the team record is the one for a shared place.
void RefuseNetworkFileSystem(const QString& path);

}  // namespace record
