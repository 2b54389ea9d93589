// The record's tables, as forward migrations: the record's user_version says how many of them it
// has had. A migration is only ever appended, never changed once released.
#pragma once

#include <QStringList>
#include <vector>

namespace record {

// Migrations()[i] takes a record from version i to version i + 1, each statement in turn.
const std::vector<QStringList>& Migrations();

}  // namespace record
