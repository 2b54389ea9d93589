// The team record on a PostgreSQL server made ready, by the IT, once and after each Quantelo
// update that brings a new schema: the two roles, the schema owned by the migration role, and the
// programs' role allowed to read and add, nothing else.
#pragma once

#include <QString>
#include <QStringList>

namespace record {

struct ServerSetUp {
  QStringList changes;  // each statement that changed something, in order; empty: all was there
  int schemaBefore = 0;
  int schemaAfter = 0;
};

// Sets up the record at address (postgresql://…) in one transaction: the roles quantelo_owner
// and quantelo_client, neither of which logs in, where they are missing; the administrator made a
// member of quantelo_owner where it is not; the schema brought forward as quantelo_owner, which
// thus owns every table; quantelo_client given SELECT and INSERT on the append-only tables (and
// the use of their counters) and SELECT on the schema version, and any right to UPDATE, DELETE or
// TRUNCATE taken back. What is there already is left as it is, so running it again changes
// nothing. The address's role must be a superuser, or may create roles and own the database (or
// be a member of quantelo_owner where the roles exist). Raises RecordError for a file path and
// where the role may not do what is missing; then nothing has changed.
ServerSetUp SetUpServer(const QString& address);

}  // namespace record
