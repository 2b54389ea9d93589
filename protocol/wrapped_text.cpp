#include "wrapped_text.h"

#include <QTextOption>

namespace protocol {

WrappedText::WrappedText(const QString& text, const QFont& font, double width, QPaintDevice* device,
                         Qt::Alignment alignment)
    : layout_(std::make_shared<QTextLayout>(
          QString(text).replace(QLatin1Char('\n'), QChar::LineSeparator), font, device)) {
  QTextOption option(alignment);
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout_->setTextOption(option);
  layout_->setCacheEnabled(true);
  layout_->beginLayout();
  for (QTextLine line = layout_->createLine(); line.isValid(); line = layout_->createLine()) {
    line.setLineWidth(width);
    line.setPosition(QPointF(0, height_));
    height_ += line.height();
  }
  layout_->endLayout();
}

void WrappedText::draw(QPainter& painter, const QPointF& topLeft) const {
  layout_->draw(&painter, topLeft);
}

Block TextBlock(const QString& text, const QFont& font, double width, QPaintDevice* device,
                double spaceAfter) {
  const WrappedText wrapped(text, font, width, device);
  return {wrapped.height() + spaceAfter, [wrapped](QPainter& painter, double top) {
            painter.setPen(Qt::black);
            wrapped.draw(painter, QPointF(0, top));
          }};
}

}  // namespace protocol
