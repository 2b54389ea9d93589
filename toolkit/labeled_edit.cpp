#include "labeled_edit.h"

#include <QLabel>

#include "widget_colour.h"

namespace toolkit {

namespace {
constexpr int LabelSpacing = 3;
}

TLabeledEdit::TLabeledEdit(const QString& caption, QWidget* parent)
    : QLineEdit(parent), label_(new QLabel(caption, parent)) {
  label_->setBuddy(this);
  // Screen readers name the field by its caption.
  setAccessibleName(caption);
  placeLabel();
}

void TLabeledEdit::setColor(const QColor& color) {
  SetBackgroundColour(this, QPalette::Base, color);
}

QColor TLabeledEdit::color() const {
  return palette().color(QPalette::Base);
}

void TLabeledEdit::moveEvent(QMoveEvent* event) {
  QLineEdit::moveEvent(event);
  placeLabel();
}

void TLabeledEdit::placeLabel() {
  label_->adjustSize();
  label_->move(x(), y() - LabelSpacing - label_->height());
}

}  // namespace toolkit
