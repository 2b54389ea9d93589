#include "widget_colour.h"

#include <QWidget>
#include <algorithm>
#include <cmath>

namespace toolkit {

void SetWidgetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

namespace {

double relativeLuminance(const QColor& colour) {
  const auto linear = [](double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
         0.0722 * linear(colour.blueF());
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = relativeLuminance(a), lb = relativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void SetBackgroundColour(QWidget* widget, QPalette::ColorRole background, const QColor& colour) {
  const QColor black(Qt::black), white(Qt::white);
  const QColor text = ContrastRatio(colour, black) >= ContrastRatio(colour, white) ? black : white;
  QPalette palette = widget->palette();
  palette.setColor(background, colour);
  palette.setColor(background == QPalette::Base ? QPalette::Text : QPalette::WindowText, text);
  widget->setPalette(palette);
}

}  // namespace toolkit
