#include "verdict_display.h"

#include <QLabel>

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
  return text;
}

QColor VerdictColour(const std::string& verdict) {
  if (verdict == record::Passed) return {0xCC, 0xFF, 0xCC};
  if (verdict == record::Failed) return {0xFF, 0xCC, 0xCC};
  return {0xFF, 0xF0, 0xC8};
}

void ShowVerdict(QLabel* label, const record::SavedMeasurement& saved) {
  const QString text = VerdictText(saved);
  label->setText(text);
  label->setAccessibleDescription(text);
  label->setAutoFillBackground(true);
  toolkit::SetBackgroundColour(label, QPalette::Window, VerdictColour(saved.verdict));
  label->show();
}

}  // namespace record_windows
