// The record's tables, as forward migrations, in SQLite's words and PostgreSQL's: the record's
// schema version says how many of them it has had. A migration is only ever appended, never
// changed once released. The statements are written once, in SQLite's SQL, and translated for
// PostgreSQL where the two differ: the row ids, and the triggers that keep history append-only.
#pragma once

#include <QStringList>
#include <vector>

namespace record {

enum class Dialect { Sqlite, Postgresql };

// Migrations(dialect)[i] takes a record from version i to version i + 1, each statement in turn.
const std::vector<QStringList>& Migrations(Dialect dialect = Dialect::Sqlite);

// The tables kept once written: never changed, never deleted.
const QStringList& AppendOnlyTables();
// The changes a trigger refuses on each of them: UPDATE and DELETE, on the server also TRUNCATE.
QStringList RefusedChanges(Dialect dialect);
// That trigger's name: "measurements_no_update".
QString AppendOnlyTrigger(const QString& table, const QString& change);

// The team record's roles, neither of which logs in: the IT grants them to login roles.
// The programs': read and add, nothing else.
inline constexpr const char* ClientRole = "quantelo_client";
// Migrations': owns the tables.
inline constexpr const char* OwnerRole = "quantelo_owner";
// On the server, the schema version lives in a one-row table of this name.
inline constexpr const char* SchemaVersionTable = "schema_version";
// The channel on which the server tells of each saved session and amendment (table and id as the
// payload: "sessions 12").
inline constexpr const char* NotifyChannel = "quantelo_record";

}  // namespace record
