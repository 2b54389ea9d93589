#include "hint_label.h"

namespace measure {

QLabel* NewHintLabel(const QString& text) {
  auto* hint = new QLabel(text);
  hint->setWordWrap(true);
  QFont font = hint->font();
  font.setItalic(true);
  hint->setFont(font);
  return hint;
}

}  // namespace measure
