// How the record's windows show what the record keeps in its own words.
#pragma once

#include <QString>

class QComboBox;

namespace record_windows {

// "SDNR" or "mAs" for the record's "sdnr" or "mas".
QString QuantityName(const QString& quantity);

// A choice of the quantity, its data the record's word.
QComboBox* NewQuantityBox();

}  // namespace record_windows
