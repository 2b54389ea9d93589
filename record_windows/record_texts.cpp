#include "record_texts.h"

#include <QComboBox>

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

}  // namespace record_windows
