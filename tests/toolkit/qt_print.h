// How failing checks show Qt values: as text rather than as raw bytes.
#pragma once

#include <QColor>
#include <QString>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QColor& colour, std::ostream* out) {
  *out << colour.name().toStdString();
}
