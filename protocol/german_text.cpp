#include "german_text.h"

#include <QRegularExpression>

namespace protocol {

QString WithDecimalComma(const QString& text) {
  static const QRegularExpression pointBetweenDigits(QStringLiteral("(?<=\\d)\\.(?=\\d)"));
  return QString(text).replace(pointBetweenDigits, QStringLiteral(","));
}

QString GermanDate(const QString& isoDate) {
  const QDate date = QDate::fromString(isoDate, Qt::ISODate);
  return date.isValid() ? GermanDate(date) : isoDate;
}

QString GermanDate(const QDate& date) {
  return date.toString(QStringLiteral("dd.MM.yyyy"));
}

QString SignedPercent(const QString& deviation) {
  if (deviation.isEmpty()) return deviation;
  QString text = WithDecimalComma(deviation);
  if (text.startsWith(QLatin1Char('-'))) text[0] = QChar(0x2212);
  return text + QStringLiteral(" %");
}

QString ThicknessLabel(const QString& thickness) {
  return WithDecimalComma(thickness) + QStringLiteral(" mm");
}

}  // namespace protocol
