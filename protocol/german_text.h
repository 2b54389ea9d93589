// Numbers and dates of the record as a German reader expects them on the protocol and in the
// plot. The record keeps numbers with "." and dates as YYYY-MM-DD; only their display changes.
#pragma once

#include <QDate>
#include <QString>

namespace protocol {

// Every point between two digits becomes a comma, so that a number or a rule in words reads the
// German way: "5.23" is "5,23", "−10.5 % / +10 %; min 4.2" is "−10,5 % / +10 %; min 4,2".
// Meant for numbers and the tolerance rule's words, never for free text such as a source.
QString WithDecimalComma(const QString& text);

// "2026-03-02" is "02.03.2026"; a text that is no such date is returned as it is.
QString GermanDate(const QString& isoDate);
QString GermanDate(const QDate& date);

// A signed deviation in percent as the record keeps it ("+3.2", "-12.0") as "+3,2 %" or
// "−12,0 %" (a true minus sign); empty stays empty.
QString SignedPercent(const QString& deviation);

// An object thickness in millimetres as the legend and the table show it: "45" is "45 mm".
QString ThicknessLabel(const QString& thickness);

}  // namespace protocol
