#include "server_setup.h"

#include "record_database.h"
#include "record_error.h"
#include "record_schema.h"
#include "server_address.h"

namespace record {
namespace {

bool holds(RecordDatabase& database, const QString& sql, const QVariantList& values = {}) {
  QSqlQuery query = database.run(sql, values);
  return query.next() && query.value(0).toBool();
}

QString text(RecordDatabase& database, const QString& sql, const QVariantList& values = {}) {
  QSqlQuery query = database.run(sql, values);
  return query.next() ? query.value(0).toString() : QString();
}

class SetUp {
 public:
  explicit SetUp(RecordDatabase& database) : database_(database) {}

  void change(const QString& statement) {
    database_.run(statement);
    report_.changes << statement;
  }

  // As the administrator: the roles, and the rights on the database and its schema.
  void rolesAndPlaces() {
    for (const QString& role : {owner_, client_}) {
      if (!holds(database_,
                 QStringLiteral("SELECT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = ?)"),
                 {role})) {
        change(QStringLiteral("CREATE ROLE %1 NOLOGIN").arg(role));
      }
    }
    if (!holds(database_, QStringLiteral("SELECT pg_has_role(current_user, ?, 'MEMBER')"),
               {owner_})) {
      change(QStringLiteral("GRANT %1 TO CURRENT_USER").arg(owner_));
    }
    const QString databaseName =
        text(database_, QStringLiteral("SELECT quote_ident(current_database())"));
    const QString schema = text(database_, QStringLiteral("SELECT quote_ident(current_schema())"));
    if (schema.isEmpty())
      throw RecordError("Die Anmeldung von setup-server findet kein Schema (search_path).");
    for (const QString& role : {owner_, client_}) {
      if (!holds(database_,
                 QStringLiteral("SELECT has_database_privilege(?, current_database(), 'CONNECT')"),
                 {role})) {
        change(QStringLiteral("GRANT CONNECT ON DATABASE %1 TO %2").arg(databaseName, role));
      }
    }
    if (!holds(database_,
               QStringLiteral("SELECT has_schema_privilege(?, current_schema(), 'USAGE')"),
               {client_})) {
      change(QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(schema, client_));
    }
    if (!holds(database_,
               QStringLiteral("SELECT has_schema_privilege(?, current_schema(), 'CREATE')"),
               {owner_})) {
      change(QStringLiteral("GRANT USAGE, CREATE ON SCHEMA %1 TO %2").arg(schema, owner_));
    }
  }

  // As the migration role: the schema, and what the programs' role may do with its tables.
  void schemaAndRights(const WriteTransaction& transaction) {
    database_.run(QStringLiteral("SET LOCAL ROLE %1").arg(owner_));
    report_.schemaBefore = database_.migrate(transaction);
    report_.schemaAfter = database_.schemaVersion();
    if (report_.schemaAfter != report_.schemaBefore) {
      report_.changes << QStringLiteral("Schema %1 → %2, als %3")
                             .arg(report_.schemaBefore)
                             .arg(report_.schemaAfter)
                             .arg(owner_);
    }
    for (const QString& table : AppendOnlyTables())
      rightsOn(table, {QStringLiteral("SELECT"), QStringLiteral("INSERT")});
    rightsOn(QString::fromLatin1(SchemaVersionTable), {QStringLiteral("SELECT")});
    for (const QString& table : AppendOnlyTables()) {
      const QString counter =
          text(database_, QStringLiteral("SELECT pg_get_serial_sequence(?, 'id')"), {table});
      if (!counter.isEmpty() &&
          !holds(database_, QStringLiteral("SELECT has_sequence_privilege(?, ?, 'USAGE')"),
                 {client_, counter})) {
        change(QStringLiteral("GRANT USAGE ON SEQUENCE %1 TO %2").arg(counter, client_));
      }
    }
  }

  ServerSetUp report() const { return report_; }

 private:
  // The programs' role gets what it lacks of wanted and loses any right to change history,
  // also where it has it through PUBLIC.
  void rightsOn(const QString& table, const QStringList& wanted) {
    QStringList missing, surplus;
    for (const QString& right : wanted) {
      if (!holds(database_, QStringLiteral("SELECT has_table_privilege(?, ?, ?)"),
                 {client_, table, right}))
        missing << right;
    }
    for (const QString& right : RefusedChanges(Dialect::Postgresql)) {
      if (holds(database_, QStringLiteral("SELECT has_table_privilege(?, ?, ?)"),
                {client_, table, right}))
        surplus << right;
    }
    if (!missing.isEmpty())
      change(QStringLiteral("GRANT %1 ON %2 TO %3").arg(missing.join(u", "), table, client_));
    if (!surplus.isEmpty()) {
      change(QStringLiteral("REVOKE %1 ON %2 FROM %3, PUBLIC")
                 .arg(surplus.join(u", "), table, client_));
    }
  }

  RecordDatabase& database_;
  const QString owner_ = QString::fromLatin1(OwnerRole);
  const QString client_ = QString::fromLatin1(ClientRole);
  ServerSetUp report_;
};

}  // namespace

ServerSetUp SetUpServer(const QString& address) {
  if (!IsServerAddress(address)) {
    throw RecordError(
        "setup-server richtet den Team-Record auf einem PostgreSQL-Server ein und braucht "
        "--record postgresql://VERWALTER@SERVER/DATENBANK; ein QA-Record in einer Datei richtet "
        "sich selbst ein.");
  }
  RecordDatabase database(address, Opening::ForSetUp);
  SetUp setUp(database);
  try {
    WriteTransaction transaction(database);
    setUp.rolesAndPlaces();
    setUp.schemaAndRights(transaction);
    transaction.commit();
  } catch (const RecordUnreachable&) {
    throw;
  } catch (const RecordError& error) {
    throw RecordError(std::string(error.what()) +
                          " Nichts wurde geändert. setup-server braucht einen Superuser, oder eine "
                          "Rolle, die Rollen anlegen darf (CREATEROLE) und der die Datenbank "
                          "gehört; sind die Rollen schon da, ein Mitglied von " +
                          OwnerRole + ".",
                      error.cause());
  }
  return setUp.report();
}

}  // namespace record
