#include "screen_cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace about {

void SetScreenCursor(Qt::CursorShape shape) {
  // The pointer is one value, not Qt's stack of overrides: the default clears them all.
  if (shape == Qt::ArrowCursor) {
    while (QGuiApplication::overrideCursor() != nullptr) QGuiApplication::restoreOverrideCursor();
  } else if (QGuiApplication::overrideCursor() != nullptr) {
    QGuiApplication::changeOverrideCursor(QCursor(shape));
  } else {
    QGuiApplication::setOverrideCursor(QCursor(shape));
  }
}

}  // namespace about
