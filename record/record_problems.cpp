// What quantelo-record check finds wrong with a record.
#include "record_database.h"

namespace record {
namespace {

QStringList fileProblems(RecordDatabase& database) {
  QStringList found;
  QSqlQuery integrity = database.run(QStringLiteral("PRAGMA integrity_check"));
  while (integrity.next()) {
    if (integrity.value(0).toString() != QLatin1String("ok"))
      found << integrity.value(0).toString();
  }
  QSqlQuery keys = database.run(QStringLiteral("PRAGMA foreign_key_check"));
  while (keys.next()) {
    found << QStringLiteral("Zeile %1 in %2 verweist ins Leere (%3)")
                 .arg(keys.value(1).toString(), keys.value(0).toString(), keys.value(2).toString());
  }
  return found;
}

// The server keeps its tables whole and enforces the keys itself; what can be lost is the
// protection of history, by hand: a trigger dropped or switched off, a right granted.
QStringList serverProblems(RecordDatabase& database) {
  QStringList found;
  for (const QString& table : AppendOnlyTables()) {
    QSqlQuery triggers = database.run(
        QStringLiteral("SELECT tgname, tgenabled FROM pg_trigger WHERE tgrelid = to_regclass(?)"),
        {table});
    QStringList working;
    while (triggers.next()) {
      if (triggers.value(1).toString() != QLatin1String("D"))
        working << triggers.value(0).toString();
    }
    for (const QString& change : RefusedChanges(Dialect::Postgresql)) {
      if (!working.contains(AppendOnlyTrigger(table, change))) {
        found << QStringLiteral(
                     "Der Trigger %1 fehlt oder ist abgeschaltet: %2 auf %3 wird "
                     "nicht abgewiesen.")
                     .arg(AppendOnlyTrigger(table, change), change, table);
      }
    }
  }
  const QString client = QString::fromLatin1(ClientRole);
  if (!database.run(QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = ?"), {client}).next()) {
    found << QStringLiteral("Die Rolle %1 der Programme fehlt; setup-server legt sie an.")
                 .arg(client);
    return found;
  }
  for (const QString& table : AppendOnlyTables()) {
    QSqlQuery rights = database.run(
        QStringLiteral(
            "SELECT has_table_privilege(?, ?, 'UPDATE'), "
            "has_table_privilege(?, ?, 'DELETE'), has_table_privilege(?, ?, 'TRUNCATE')"),
        {client, table, client, table, client, table});
    rights.next();
    for (int i = 0; i < 3; ++i) {
      if (rights.value(i).toBool()) {
        found << QStringLiteral("Die Rolle %1 darf %2 auf %3; setup-server nimmt das zurück.")
                     .arg(client, RefusedChanges(Dialect::Postgresql)[i], table);
      }
    }
  }
  return found;
}

}  // namespace

QStringList RecordDatabase::problems() {
  return dialect_ == Dialect::Sqlite ? fileProblems(*this) : serverProblems(*this);
}

}  // namespace record
