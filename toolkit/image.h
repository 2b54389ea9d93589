// A picture control: the kind that holds a picture, as distinct from a text label.
#pragma once

#include <QWidget>

namespace toolkit {

// Its hint is the widget's tool tip. Deliberately not a QLabel, so that code telling controls
// apart by kind never takes a picture for a label.
class TImage : public QWidget {
 public:
  using QWidget::QWidget;
};

}  // namespace toolkit
