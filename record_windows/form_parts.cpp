#include "form_parts.h"

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>

namespace record_windows {

QLabel* NewRecordLabel(const QString& path) {
  auto* label = new QLabel(QStringLiteral("QA-Record: %1").arg(path));
  label->setObjectName(QStringLiteral("record"));
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

QDateEdit* NewDateEdit(const QDate& date, const QString& accessibleName) {
  auto* edit = new QDateEdit(date);
  edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
  edit->setCalendarPopup(true);
  edit->setAccessibleName(accessibleName);
  return edit;
}

QLabel* NewBuddyLabel(const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text);
  label->setBuddy(buddy);
  if (buddy->accessibleName().isEmpty()) {
    buddy->setAccessibleName(QString(text).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
  }
  return label;
}

QLabel* NewNoStandardsNotice() {
  auto* notice = new QLabel(QStringLiteral(
      "Quantelo enthält keine Grenzwerte aus Normen. Bitte die Werte aus der geltenden Norm oder "
      "dem Abnahmeprotokoll eintragen."));
  notice->setWordWrap(true);
  QFont font = notice->font();
  font.setBold(true);
  notice->setFont(font);
  return notice;
}

QPushButton* NewButton(const QString& text) {
  auto* button = new QPushButton(text);
  button->setAutoDefault(false);
  return button;
}

}  // namespace record_windows
