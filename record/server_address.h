// The team record's address, postgresql://USER@HOST[:PORT]/DBNAME[?PARAMETER=VALUE&…], read by
// libpq's own rules into the connection parameters that libpq takes one by one. A password never
// comes from the address: libpq reads it from ~/.pgpass or the file PGPASSFILE names.
#pragma once

#include <QString>
#include <utility>
#include <vector>

namespace record {

// True where the record is on a server: the text begins with postgresql:// or postgres://.
bool IsServerAddress(const QString& where);

struct ServerAddress {
  // libpq's keywords and values: host, port, user, dbname, then the query's parameters, each
  // once, and the defaults a desktop program wants (see ParseServerAddress).
  std::vector<std::pair<QString, QString>> parameters;

  // The keyword's value, empty where the address has none.
  QString value(const QString& keyword) const;
};

// Reads the address as libpq does: user and host percent-decoded, so a Unix-socket folder may be
// written as the host ("postgresql://u@%2Frun%2Fpostgresql/db") or as ?host=/run/postgresql;
// several hosts separated by commas; an IPv6 address in brackets; ssl=true for sslmode=require.
// Adds, where neither the address nor libpq's environment sets them: connect_timeout=10, so an
// unreachable server is told within seconds; fallback_application_name=quantelo; and for
// sslmode verify-ca or verify-full without sslrootcert and without ~/.postgresql/root.crt, the
// system's certificates (/etc/ssl/certs/ca-certificates.crt), which libpq 15 does not take by
// itself. Raises RecordError for a malformed address and for one with a password, without
// repeating it.
// Example: "postgresql://qa@db.example.org:5433/quantelo?sslmode=verify-full" gives host
// db.example.org, port 5433, user qa, dbname quantelo, sslmode verify-full and the system's
// certificates.
ServerAddress ParseServerAddress(const QString& address);

}  // namespace record
