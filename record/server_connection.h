// The team record's connection to its PostgreSQL server, through Qt SQL's QPSQL driver: opened
// for an address, a failure told apart as a server out of reach or a refusal, and statements
// with their values written in.
#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QVariantList>
#include <string>

namespace record {

// Opens database, a QPSQL connection not yet open, for the address (see ParseServerAddress).
// Raises RecordUnreachable where no server answers (down, no network, unknown host, no answer
// in time, a TLS handshake that fails) and RecordError where the server refuses (an unknown
// role or database, no password in ~/.pgpass) or the address is malformed. Every message names
// the address, which never holds a password.
void OpenOnServer(QSqlDatabase& database, const QString& address);

// Raises for a statement that failed: RecordUnreachable where the connection is gone, else
// RecordError; message is the user's, the server's words the cause.
[[noreturn]] void FailOnServer(const QSqlDatabase& database, const std::string& message,
                               const QSqlError& error);

// The statement with each "?" outside quotes replaced by its value, written as a literal by the
// driver itself, as QPSQL writes the values of a prepared statement's EXECUTE; one round trip,
// and no prepared statement left on the server by a transaction that failed. Raises RecordError
// where the count of values differs from that of the "?".
// Example: "SELECT id FROM sessions WHERE client_key = ?" with "it's" gives
// "SELECT id FROM sessions WHERE client_key = 'it''s'".
QString WithValues(const QSqlDatabase& database, const QString& sql, const QVariantList& values);

}  // namespace record
