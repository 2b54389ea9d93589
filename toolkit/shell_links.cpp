#include "shell_links.h"

#include <QColor>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QUrl>

#include "widget_colour.h"

namespace toolkit {

namespace {

const QColor OpeningColour(0xFF, 0x00, 0x00);
const QColor VisitedColour(0x80, 0x00, 0x80);

bool Open(const QString& target) {
  // A scheme has two characters or more; one would be a drive letter.
  static const QRegularExpression blanksAfterScheme(
      QStringLiteral("^\\s*([A-Za-z][A-Za-z0-9+.-]+:)\\s+"));
  QString text = target;
  text.replace(blanksAfterScheme, QStringLiteral("\\1"));
  return QDesktopServices::openUrl(QUrl::fromUserInput(text));
}

}  // namespace

bool RunProgram(QWidget* /*window*/, const QString& target) {
  return Open(target);
}

bool OpenLinkLabel(QLabel* label) {
  if (label == nullptr) return false;
  const QString caption = label->text();
  // The events processed here, or the handler, may destroy the label.
  const QPointer<QLabel> alive(label);
  SetWidgetColour(label, label->foregroundRole(), OpeningColour);
  QCoreApplication::processEvents();
  const bool opened = Open(caption);
  if (alive) SetWidgetColour(alive, alive->foregroundRole(), VisitedColour);
  return opened;
}

}  // namespace toolkit
