#include "entered_values.h"

#include <QDate>
#include <optional>

#include "record_error.h"

namespace record {

ExactDecimal EnteredNumber(const QString& text, const std::string& what) {
  const std::optional<ExactDecimal> value = ExactDecimal::Parse(text.trimmed().toStdString());
  if (value) return *value;
  const std::string written = text.toStdString();
  if (text.contains(QLatin1Char(','))) {
    throw RecordError(what + ": „" + written +
                      "“ – Zahlen bitte mit Punkt schreiben (5.23), nicht mit Komma.");
  }
  throw RecordError(what + ": „" + written +
                    "“ ist keine Zahl (erwartet z. B. 5.23: höchstens 9 Ziffern und 9 "
                    "Nachkommastellen).");
}

QString EnteredDate(const QString& text, const std::string& what) {
  if (text.size() != 10 || !QDate::fromString(text, Qt::ISODate).isValid())
    throw RecordError(what + ": „" + text.toStdString() + "“ ist kein Datum der Form JJJJ-MM-TT.");
  return text;
}

}  // namespace record
