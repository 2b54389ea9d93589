// The operator (Prüfer) of the last save, remembered across runs for every program of Quantelo:
// the user's own choice, never a name from an image's header.
#pragma once

#include <QString>

namespace record {

// Empty when none has been remembered yet.
QString RememberedOperator();
void RememberOperator(const QString& name);

}  // namespace record
