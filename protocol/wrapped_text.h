// A text laid out once for a given width on a given device, so that the height used to break
// pages is exactly the height drawn. Breaks at spaces, and within a word only where a word alone
// is wider than the column (a long number or serial number never runs into the next column).
#pragma once

#include <QFont>
#include <QPainter>
#include <QString>
#include <QTextLayout>
#include <memory>

#include "page_flow.h"

namespace protocol {

class WrappedText {
 public:
  // "\n" starts a new line.
  WrappedText(const QString& text, const QFont& font, double width, QPaintDevice* device,
              Qt::Alignment alignment = Qt::AlignLeft);
  double height() const { return height_; }
  // Draws in the painter's pen with its top left corner at topLeft.
  void draw(QPainter& painter, const QPointF& topLeft) const;

 private:
  std::shared_ptr<QTextLayout> layout_;  // shared: a laid-out row is copied into the page plan
  double height_ = 0;
};

// A paragraph in black as a block of the page flow, with room beneath it.
Block TextBlock(const QString& text, const QFont& font, double width, QPaintDevice* device,
                double spaceAfter);

}  // namespace protocol
