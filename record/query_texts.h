// The texts of a result row read into the fields of a plain struct.
#pragma once

#include <QSqlQuery>
#include <QString>
#include <initializer_list>

namespace record {

// The columns from first on, in order, into the fields; nullptr skips a column. A NULL becomes
// an empty text, never a null string.
inline void ReadTexts(const QSqlQuery& query, int first, std::initializer_list<QString*> fields) {
  int column = first;
  for (QString* field : fields) {
    if (field != nullptr) {
      const QString value = query.value(column).toString();
      *field = value.isNull() ? QStringLiteral("") : value;
    }
    ++column;
  }
}

}  // namespace record
