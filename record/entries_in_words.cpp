#include "entries_in_words.h"

#include <QDate>
#include <QDateTime>

namespace record {

QString LocalTime(const QString& utc) {
  const QDateTime time = QDateTime::fromString(utc, Qt::ISODate);
  return time.isValid() ? LocalTime(time) : utc;
}

QString LocalTime(const QDateTime& time) {
  return time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

QString MeanInWords(const QString& meanOf) {
  return QStringLiteral("Mittelwert der Messungen %1")
      .arg(QString(meanOf).replace(QLatin1Char(','), QStringLiteral(", ")));
}

QString ReferenceInWords(const ReferenceEntry& entry) {
  const QString mean =
      entry.meanOf.isEmpty() ? QString() : QStringLiteral(" als ") + MeanInWords(entry.meanOf);
  return QStringLiteral("%1%2 (Quelle „%3“, gültig ab %4, erfasst am %5)")
      .arg(entry.value, mean, entry.source,
           QDate::fromString(entry.validFrom, Qt::ISODate).toString(QStringLiteral("dd.MM.yyyy")),
           LocalTime(entry.recordedAt));
}

QString ToleranceRuleInWords(const ToleranceEntry& entry) {
  return QStringLiteral("%1 (Quelle „%2“, erfasst am %3)")
      .arg(entry.inWords, entry.source, LocalTime(entry.recordedAt));
}

}  // namespace record
