#include "remembered_operator.h"

#include <QSettings>

namespace record {
namespace {

// The user's settings of Quantelo, whichever program reads them.
QSettings settings() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("quantelo"),
                   QStringLiteral("quantelo"));
}

const QString Key = QStringLiteral("record/operator");

}  // namespace

QString RememberedOperator() {
  return settings().value(Key).toString();
}

void RememberOperator(const QString& name) {
  settings().setValue(Key, name);
}

}  // namespace record
