// The version of an executable file as text.
#pragma once

#include <QString>

namespace toolkit {

// Twelve digits, major, minor, release and build each at least three digits wide with leading
// zeros: "001000000000" for 1.0.0.0. Twelve zeros when the file holds no version record or
// cannot be read. A part above 999 takes more digits and shifts the later ones (1.2.1000.4
// gives "0010021000004"); FileVersionText has no such limit.
QString GetVersionDigits(const QString& fileName);

// "001000000000" → "1.0.0.0": characters 1–3, 4–6, 7–9 and 10–12 each read as a number.
// Raises calc::EConvertError "'<slice>' is not a valid integer value" for the first slice that
// is not three digits 0–9, so for any text shorter than twelve characters. Characters after the
// twelfth are ignored.
QString VersionDigitsToDotted(const QString& digits);

// The file's version as it is, "1.2.1000.4"; "0.0.0.0" when the file holds none.
QString FileVersionText(const QString& fileName);

}  // namespace toolkit
