// Numbers and dates as the user types them, refused with a German message that names what they
// are for: numbers with a point only, as everywhere in Quantelo.
#pragma once

#include <QString>
#include <string>

#include "exact_decimal.h"

namespace record {

// "5.23", "-1", "45". Raises RecordError for a comma ("5,23"), text, an exponent, and more than
// 9 digits or 9 places; what names the value in the message ("Bezugswert").
ExactDecimal EnteredNumber(const QString& text, const std::string& what);

// A date of the form YYYY-MM-DD that exists. Raises RecordError for anything else.
QString EnteredDate(const QString& text, const std::string& what);

}  // namespace record
