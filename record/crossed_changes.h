// Two people adding a reference value or a tolerance rule for the same key at once: the one who
// had not seen the other's entry is refused and told what the other entered, so that nothing is
// superseded unseen. Both checks run inside the write transaction that adds, so that no entry
// can come between the check and the add.
#pragma once

#include <QString>
#include <QVariant>

#include "record_database.h"

namespace record {

// Raises RecordConflict, naming the newest of them, where a reference value for the device,
// thickness and quantity was recorded after the entry seenUpTo (the newest one the person adding
// was shown; 0: none).
void RefuseCrossedReference(RecordDatabase& database, qint64 device, const QString& thickness,
                            const QString& quantity, qint64 seenUpTo);

// The same for a tolerance rule of the scope: the quantity, the device or a null for every
// device, the thickness or a null for every thickness.
void RefuseCrossedToleranceRule(RecordDatabase& database, const QString& quantity,
                                const QVariant& device, const QVariant& thickness, qint64 seenUpTo);

}  // namespace record
