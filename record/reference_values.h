// Reference values (Bezugswerte) and tolerance rules: added, never changed, and listed with their
// history. A new reference value supersedes the one before it from its date; a new tolerance rule
// supersedes the one before it of the same scope. Stored verdicts keep what was in force.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "devices.h"
#include "record_database.h"

namespace record {

struct NewReference {
  DeviceChoice device;
  QString thickness;  // mm, a number: "45"
  QString quantity;   // "sdnr" or "mas"
  // The value as written ("5.23"); empty where it is the mean of meanOf.
  QString value;
  QString source;              // e.g. "Abnahmeprüfung 2026-03-02, Protokoll 17"
  QString validFrom;           // YYYY-MM-DD; empty: today
  std::vector<qint64> meanOf;  // the measurements it is the mean of; empty for a typed value
};

struct Mean {
  QString value;  // rounded to hundredths, ties to even, as the SDNR is
  int n = 0;
};

// The exact mean of the quantity ("sdnr", or "mas": the exposure's mAs) over the measurements,
// rounded to hundredths. Raises RecordError for an unknown or voided measurement, one named
// twice, or one of another device or thickness than given.
// Example: SDNR 5.21, 5.24, 5.30 give "5.25" with n = 3.
Mean MeanOf(RecordDatabase& database, qint64 device, const QString& thickness,
            const QString& quantity, const std::vector<qint64>& measurements);

// Adds the reference value and gives its id. With meanOf the value is that mean (a value given
// besides must be the same number). Raises RecordError, in German, for a device that cannot be
// told, a number that is none (a comma, text, zero or less), an unknown quantity, a date that is
// no date, and an empty source.
// seenUpTo is the newest id of the reference values the person adding was shown (0: none), as
// ListReferences gave them: where a value for the same device, thickness and quantity has been
// recorded since, nothing is stored and RecordConflict names it. Without it the add is a
// deliberate one that checks nothing, as from the command line.
qint64 AddReference(RecordDatabase& database, const NewReference& reference,
                    std::optional<qint64> seenUpTo = std::nullopt);

struct NewToleranceRule {
  QString quantity;     // "sdnr" or "mas"
  DeviceChoice device;  // serial number empty: every device
  QString thickness;    // empty: every thickness
  // Bounds, each a number as written or empty: percent of the reference value below and above
  // it (both as positive numbers: "10" is −10 % and +10 % respectively), and absolute ones.
  QString belowPercent, abovePercent, minimum, maximum;
  QString source;
};

// Adds the tolerance rule and gives its id. Raises RecordError for no bound at all, a number
// that is none, a negative percentage or one below of more than 100, a minimum above the
// maximum, an unknown quantity or device, and an empty source. seenUpTo as for AddReference,
// for the rules of the same scope (quantity, device or every device, thickness or every one).
qint64 AddToleranceRule(RecordDatabase& database, const NewToleranceRule& rule,
                        std::optional<qint64> seenUpTo = std::nullopt);

struct ReferenceEntry {
  qint64 id = 0;
  QString manufacturer, model, serialNumber;
  QString thickness, quantity, value, source, validFrom;
  QString recordedAt;       // UTC, ISO 8601
  QString meanOf;           // the measurements' ids, "12,13,14"; empty for a typed value
  qint64 supersededBy = 0;  // the reference value in force after it; 0 while it is the newest
  QString supersededFrom;   // that one's date
};

struct ToleranceEntry {
  qint64 id = 0;
  QString quantity;
  QString manufacturer, model, serialNumber;  // empty: every device
  QString thickness;                          // empty: every thickness
  QString belowPercent, abovePercent, minimum, maximum;
  QString inWords;  // as ToleranceInWords
  QString source;
  QString recordedAt;
  qint64 supersededBy = 0;  // the newer rule of the same scope; 0 while it is the newest
};

// Newest first: reference values by their date, tolerance rules by when they were recorded.
std::vector<ReferenceEntry> ListReferences(RecordDatabase& database);
std::vector<ToleranceEntry> ListToleranceRules(RecordDatabase& database);

// A rule in words, its parts joined by "; ": "−10 % / +10 %; min 5; max 9", "−15 %", "min 4".
QString ToleranceInWords(const QString& belowPercent, const QString& abovePercent,
                         const QString& minimum, const QString& maximum);

}  // namespace record
