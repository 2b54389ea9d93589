// Setting one colour of a widget's palette, as the windows do for backgrounds and font colours.
#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

namespace toolkit {

// The widget's colour for the role; the rest of its palette stays as it is.
void SetWidgetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour);

}  // namespace toolkit
