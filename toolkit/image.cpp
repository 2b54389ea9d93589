#include "image.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QSvgRenderer>

namespace toolkit {

namespace {

constexpr int DotsPerMeter96 = 3780;

// The part of a bitmap with every pixel of the key colour made fully transparent.
QImage withoutKey(const QImage& part, QRgb key) {
  QImage keyed = part.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < keyed.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
    for (int x = 0; x < keyed.width(); ++x) {
      if (line[x] == key) line[x] = 0;
    }
  }
  return keyed;
}

}  // namespace

QImage NewBitmap(const QSize& size, qreal devicePixelRatio) {
  QImage bitmap((QSizeF(size) * devicePixelRatio).toSize(), QImage::Format_RGB32);
  bitmap.setDevicePixelRatio(devicePixelRatio);
  bitmap.setDotsPerMeterX(DotsPerMeter96);
  bitmap.setDotsPerMeterY(DotsPerMeter96);
  return bitmap;
}

QPixmap VectorPixmap(const QString& fileName, const QSize& bounds, qreal devicePixelRatio) {
  QSvgRenderer vector(fileName);
  if (!vector.isValid()) return {};
  const QSize size = vector.defaultSize().scaled(bounds, Qt::KeepAspectRatio);
  QPixmap picture((QSizeF(size) * devicePixelRatio).toSize());
  picture.setDevicePixelRatio(devicePixelRatio);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  vector.render(&painter, QRectF(QPointF(0, 0), size));
  return picture;
}

TImage::TImage(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
}

TImage::~TImage() = default;

QImage& TImage::Canvas() {
  if (bitmap_.isNull()) {
    vector_.reset();
    bitmap_ = NewBitmap(size(), devicePixelRatio());
    bitmap_.fill(Qt::white);
  }
  return bitmap_;
}

void TImage::setBitmap(const QImage& bitmap) {
  vector_.reset();
  bitmap_ = bitmap;
  update();
}

bool TImage::loadVector(const QString& fileName) {
  bitmap_ = QImage();
  vector_ = std::make_unique<QSvgRenderer>(fileName);
  if (!vector_->isValid()) vector_.reset();
  update();
  return vector_ != nullptr;
}

void TImage::setProportional(bool on) {
  proportional_ = on;
  update();
}

void TImage::setCenter(bool on) {
  center_ = on;
  update();
}

void TImage::setTransparent(bool on) {
  transparent_ = on;
  update();
}

QSize TImage::pictureSize() const {
  if (vector_) return vector_->defaultSize();
  return bitmap_.deviceIndependentSize().toSize();
}

QRect TImage::pictureRect() const {
  QSize shown = pictureSize();
  if (proportional_ && (shown.width() > width() || shown.height() > height())) {
    shown.scale(size(), Qt::KeepAspectRatio);
  }
  QRect rect(QPoint(0, 0), shown);
  if (center_) rect.moveCenter(this->rect().center());
  return rect;
}

void TImage::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect target = pictureRect();
  if (vector_) {
    vector_->render(&painter, target);
    return;
  }
  if (bitmap_.isNull()) return;
  const QRgb key = bitmap_.pixel(0, bitmap_.height() - 1);
  if (target.size() == pictureSize()) {
    // Unscaled: only the exposed part, so that a small change costs a small repaint. The part
    // is cut in the bitmap's device pixels.
    const qreal ratio = bitmap_.devicePixelRatio();
    const QRectF exposed(event->rect() & target);
    const QRectF logical = exposed.translated(-target.topLeft());
    const QRect source =
        QRectF(logical.topLeft() * ratio, logical.size() * ratio).toAlignedRect() & bitmap_.rect();
    const QImage part = bitmap_.copy(source);
    painter.drawImage(QPointF(target.topLeft()) + QPointF(source.topLeft()) / ratio,
                      transparent_ ? withoutKey(part, key) : part);
  } else {
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, transparent_ ? withoutKey(bitmap_, key) : bitmap_);
  }
}

void TImage::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (OnMouseDown) OnMouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void TImage::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (OnMouseMove) OnMouseMove(event->modifiers(), event->position().toPoint());
}

void TImage::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (OnClick && event->button() == Qt::LeftButton &&
      rect().contains(event->position().toPoint())) {
    OnClick();
  }
}

}  // namespace toolkit
