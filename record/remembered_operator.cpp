#include "remembered_operator.h"

#include <QSettings>

#include "record_error.h"

namespace record {
namespace {

// The user's own settings of Quantelo.
class UserSettings : public QSettings {
 public:
  UserSettings()
      : QSettings(NativeFormat, UserScope, QStringLiteral("quantelo"), QStringLiteral("quantelo")) {
  }
};

const QString Key = QStringLiteral("record/operator");

}  // namespace

QString RememberedOperator() {
  return UserSettings().value(Key).toString();
}

void RememberOperator(const QString& name) {
  UserSettings().setValue(Key, name);
}

QString OperatorFor(const QString& given) {
  if (!given.trimmed().isEmpty()) {
    RememberOperator(given.trimmed());
    return given.trimmed();
  }
  const QString remembered = RememberedOperator();
  if (remembered.isEmpty()) {
    throw RecordError(
        "Für den QA-Record fehlt der Prüfer: bitte --operator NAME angeben "
        "(er wird dann gemerkt).");
  }
  return remembered;
}

}  // namespace record
