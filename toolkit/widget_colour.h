// Setting one colour of a widget's palette, as the windows do for backgrounds and font colours.
#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

namespace toolkit {

// The widget's colour for the role; the rest of its palette stays as it is.
void SetWidgetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour);

// A fixed background (QPalette::Window or QPalette::Base) together with the text colour that
// reads on it, black or white, whichever contrasts more: a dark desktop theme must not put its
// light text on a light background of ours.
void SetBackgroundColour(QWidget* widget, QPalette::ColorRole background, const QColor& colour);

// The contrast ratio of two colours as WCAG 2 defines it, from 1 (same) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

}  // namespace toolkit
