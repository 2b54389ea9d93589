// A saved measurement's verdict as the windows show it: in words, with the reference value and
// the deviation, and a background colour as a second cue only.
#pragma once

#include <QColor>
#include <QString>
#include <string>

#include "record/session_saving.h"

class QLabel;

namespace record_windows {

// E.g. "Messung 12 gespeichert.\nErgebnis: bestanden\nBezugswert 5.2, Abweichung +3.2 %", then
// where the exposure differs from the reference's, "Bedingungen abweichend (…)".
QString VerdictText(const record::SavedMeasurement& saved);

// Light green for "bestanden", light red for "nicht bestanden", light amber for the verdicts that
// judge nothing; each dark text's background under every theme.
QColor VerdictColour(const std::string& verdict);

// The text on its colour, told to screen readers too.
void ShowVerdict(QLabel* label, const record::SavedMeasurement& saved);

// A save kept in the outbox because the team record's server is out of reach: it has no verdict
// yet, which the server's reference values give once it arrives. waiting: the measurements that
// wait for the server, this one among them.
void ShowWaitingForServer(QLabel* label, qint64 waiting);

}  // namespace record_windows
