// The operator (Prüfer) of a check: the user's choice, remembered for the next time in the
// user's settings, shared by the window and the command-line programs; never a name from a
// header.
#pragma once

#include <QString>

namespace record {

// The one chosen last; empty before the first choice.
QString RememberedOperator();
void RememberOperator(const QString& name);

// The name given (not empty), remembered; else the one remembered. Raises RecordError where
// there is neither.
QString OperatorFor(const QString& given);

}  // namespace record
