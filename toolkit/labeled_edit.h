// An edit field with its caption label above it.
#pragma once

#include <QColor>
#include <QLineEdit>

class QLabel;

namespace toolkit {

// The label stands left-aligned with the field, its bottom edge 3 pixels above the field's top,
// and follows the field when it moves.
class TLabeledEdit : public QLineEdit {
 public:
  TLabeledEdit(const QString& caption, QWidget* parent);

  QLabel* EditLabel() const { return label_; }
  // The field's background colour.
  void setColor(const QColor& color);
  QColor color() const;

 protected:
  void moveEvent(QMoveEvent* event) override;

 private:
  void placeLabel();

  QLabel* label_;
};

}  // namespace toolkit
