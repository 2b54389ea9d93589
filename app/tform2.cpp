#include "tform2.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "toolkit/classic_font.h"

namespace {

constexpr QSize InitialSize(532, 396);
constexpr QPoint ScreenPosition(192, 114);

QString helpText() {
  QFile file(QStringLiteral(":/help.txt"));
  file.open(QIODevice::ReadOnly);
  QString text = QString::fromUtf8(file.readAll());
  if (text.endsWith('\n')) text.chop(1);
  return text;
}

}  // namespace

TForm2::TForm2() {
  setWindowTitle(QStringLiteral("Quantelo - Hilfe"));
  setBackgroundRole(QPalette::Button);
  setAutoFillBackground(true);
  setFont(toolkit::ClassicSansSerif(11));
  setMaximumWidth(MaxWidth);

  Memo1 = new QPlainTextEdit(this);
  Memo1->setFont(toolkit::ClassicSansSerif(16));
  Memo1->setReadOnly(true);
  Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setPlainText(helpText());

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Memo1);

  resize(InitialSize);
  move(ScreenPosition);
}
