#include "verdict_display.h"

#include <QLabel>

#include "record/outbox.h"
#include "record/verdict.h"
#include "toolkit/widget_colour.h"

namespace record_windows {

QString VerdictText(const record::SavedMeasurement& saved) {
  QString text = QStringLiteral("Messung %1 gespeichert.\nErgebnis: %2")
                     .arg(saved.id.value_or(0))
                     .arg(QString::fromStdString(saved.verdict));
  if (!saved.reference.empty()) {
    text += QStringLiteral("\nBezugswert %1, Abweichung %2 %")
                .arg(QString::fromStdString(saved.reference),
                     QString::fromStdString(saved.deviationPercent));
  }
  if (!saved.conditions.empty()) text += "\n" + QString::fromStdString(saved.conditions);
  return text;
}

QColor VerdictColour(const std::string& verdict) {
  if (verdict == record::Passed) return {0xCC, 0xFF, 0xCC};
  if (verdict == record::Failed) return {0xFF, 0xCC, 0xCC};
  return {0xFF, 0xF0, 0xC8};
}

namespace {

void show(QLabel* label, const QString& text, const QColor& colour) {
  label->setText(text);
  label->setAccessibleDescription(text);
  label->setAutoFillBackground(true);
  toolkit::SetBackgroundColour(label, QPalette::Window, colour);
  label->show();
}

}  // namespace

void ShowVerdict(QLabel* label, const record::SavedMeasurement& saved) {
  show(label, VerdictText(saved), VerdictColour(saved.verdict));
}

void ShowWaitingForServer(QLabel* label, qint64 waiting) {
  show(label,
       QStringLiteral("Der Server ist nicht erreichbar. Die Messung ist auf diesem Rechner "
                      "gesichert und wird gesendet, sobald er wieder erreichbar ist; das Ergebnis "
                      "steht dann im Verlauf.\n%1.")
           .arg(record::WaitingText(waiting)),
       VerdictColour({}));
}

}  // namespace record_windows
