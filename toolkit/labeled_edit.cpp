#include "labeled_edit.h"

#include <QLabel>
#include <QValidator>
#include <limits>

#include "widget_colour.h"

namespace toolkit {

namespace {

constexpr int LabelSpacing = 3;

// A classic edit control keeps a text up to its first character 0: the number parser stops
// there too, so the field never shows more than is calculated.
class UpToCharacterZero : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& position) const override {
    const qsizetype zero = input.indexOf(QChar(0));
    if (zero >= 0) {
      input.truncate(zero);
      position = std::min(position, static_cast<int>(zero));
    }
    return Acceptable;
  }
};

}  // namespace

TLabeledEdit::TLabeledEdit(const QString& caption, QWidget* parent)
    : QLineEdit(parent), label_(new QLabel(caption, parent)) {
  label_->setBuddy(this);
  setValidator(new UpToCharacterZero(this));
  // The parser reads texts of any length: a paste is never cut to another value.
  setMaxLength(std::numeric_limits<int>::max());
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
