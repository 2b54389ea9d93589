// Reference values and tolerance rules in words, as a message or the command line names one, so
// that whoever reads it can tell the entry from the others of its device and thickness.
#pragma once

#include <QDateTime>
#include <QString>

#include "reference_values.h"

namespace record {

// A time the record keeps in UTC as the local date and time: "02.03.2026 14:05".
QString LocalTime(const QString& utc);
QString LocalTime(const QDateTime& time);

// The measurements a reference value is the mean of, kept as "12,13,14":
// "Mittelwert der Messungen 12, 13, 14".
QString MeanInWords(const QString& meanOf);

// "6.55 (Quelle „Abnahme“, gültig ab 02.03.2026, erfasst am 02.03.2026 14:05)"; a mean adds
// "als Mittelwert der Messungen 12, 13, 14" after the value.
QString ReferenceInWords(const ReferenceEntry& entry);

// "−10 % / +10 %; min 5 (Quelle „DIN“, erfasst am 02.03.2026 14:05)".
QString ToleranceRuleInWords(const ToleranceEntry& entry);

}  // namespace record
