#include "widget_colour.h"

#include <QWidget>

namespace toolkit {

void SetWidgetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

}  // namespace toolkit
