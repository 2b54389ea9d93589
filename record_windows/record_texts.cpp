#include "record_texts.h"

#include <QComboBox>
#include <QDateTime>

namespace record_windows {

QString QuantityName(const QString& quantity) {
  return quantity == QLatin1String("mas") ? QStringLiteral("mAs") : quantity.toUpper();
}

QComboBox* NewQuantityBox() {
  auto* box = new QComboBox;
  for (const char* quantity : {"sdnr", "mas"})
    box->addItem(QuantityName(QString::fromLatin1(quantity)), QString::fromLatin1(quantity));
  return box;
}

QString LocalTime(const QString& utc) {
  const QDateTime time = QDateTime::fromString(utc, Qt::ISODate);
  return time.isValid() ? time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm")) : utc;
}

}  // namespace record_windows
