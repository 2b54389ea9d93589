#include "image_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "grey_mapping.h"
#include "image_view_accessible.h"
#include "toolkit/event_dispatch.h"

namespace measure {

namespace {

const QColor Backdrop(0x30, 0x30, 0x30);
const std::array<QColor, 2> RoiColours = {QColor(0xFF, 0xB0, 0x00), QColor(0x00, 0xC8, 0xFF)};
// Apart from both ROI colours in hue, and dark enough for black text on the tab.
const QColor FlaggedColour(0xFF, 0x20, 0x90);
const std::array<QString, 2> RoiNames = {QStringLiteral("Al"), QStringLiteral("BG")};
constexpr double ZoomStep = 1.25;  // per wheel notch or key press
constexpr double MaxScale = 32;
constexpr int WheelNotch = 120;  // angle delta of one notch, in eighths of a degree
constexpr int ShiftStep = 10;
constexpr double WindowStep = 0.005;  // of the width, per pixel dragged
constexpr double NarrowestWindow = 1;
constexpr double PanStep = 0.1;  // of the view's width or height, per Ctrl+arrow

}  // namespace

const QString& RoiName(int index) {
  return RoiNames[index];
}

ImageView::ImageView(const imaging::DicomImage& image, const RoiPair& rois, QWidget* parent)
    : QWidget(parent),
      image_(image),
      automaticWindow_(AutomaticDisplayWindow(image)),
      window_(automaticWindow_),
      greys_(MakeGreyTable(image, window_)) {
  // Before anything asks screen readers' questions about the view.
  InstallImageViewAccessibility();
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setCursor(Qt::OpenHandCursor);
  setMinimumSize(240, 240);
  setAccessibleName(QStringLiteral("Aufnahme mit den ROIs"));
  setRois(rois);
}

void ImageView::setRois(const RoiPair& rois) {
  rois_ = rois;
  roiChanged(0);
  roiChanged(1);
}

void ImageView::roiChanged(int index) {
  update();
  if (onRoisChanged) onRoisChanged();
  AnnounceRoiChange(*this, index);
}

QRect ImageView::roiScreenRect(int index) const {
  const QRect area = roiArea(index).toAlignedRect() & rect();
  return QRect(mapToGlobal(area.topLeft()), area.size());
}

void ImageView::setRoiSize(int size) {
  size = std::clamp(size, 1, std::min(image_.width(), image_.height()));
  for (imaging::Roi& roi : rois_) {
    // Halving the difference truncates towards zero, so growing back restores the position.
    roi = {std::clamp(roi.x + (roi.width - size) / 2, 0, image_.width() - size),
           std::clamp(roi.y + (roi.height - size) / 2, 0, image_.height() - size), size, size};
  }
  roiChanged(0);
  roiChanged(1);
}

void ImageView::setFlaggedRois(std::array<bool, 2> flagged) {
  flagged_ = flagged;
  update();
}

void ImageView::setDisplayWindow(const imaging::DisplayWindow& window) {
  window_ = window;
  greys_ = MakeGreyTable(image_, window_);
  frame_ = QImage();
  update();
  if (onDisplayWindowChanged) onDisplayWindowChanged();
}

QPointF ImageView::imagePoint(QPointF widgetPoint) const {
  return origin_ + widgetPoint / scale_;
}

QPointF ImageView::widgetPoint(QPointF imagePoint) const {
  return (imagePoint - origin_) * scale_;
}

void ImageView::cover() {
  const double ratio = devicePixelRatioF();
  const double step = 1 / (scale_ * ratio);
  const AxisFootprints columns =
      FootprintsAlong(origin_.x(), step, qRound(width() * ratio), image_.width());
  const AxisFootprints rows =
      FootprintsAlong(origin_.y(), step, qRound(height() * ratio), image_.height());
  coverage_ = Coverage{static_cast<int>(columns.from.size()), static_cast<int>(rows.from.size()),
                       QPointF(columns.first, rows.first) / ratio, ratio,
                       ComputeFootprints(image_.pixels(), columns, rows)};
}

void ImageView::mapGreys() {
  frame_ = QImage(coverage_->width, coverage_->height, QImage::Format_Grayscale8);
  const Footprint* footprint = coverage_->footprints.data();
  for (int line = 0; line < frame_.height(); ++line) {
    std::uint8_t* target = frame_.scanLine(line);
    for (int column = 0; column < frame_.width(); ++column)
      *target++ = FootprintGrey(greys_, *footprint++);
  }
  frame_.setDevicePixelRatio(coverage_->ratio);
}

QRectF ImageView::roiArea(int index) const {
  const imaging::Roi& roi = rois_[index];
  return {widgetPoint(QPointF(roi.x, roi.y)), widgetPoint(QPointF(roi.right(), roi.bottom()))};
}

void ImageView::paintRoiFrame(QPainter& painter, int index) const {
  const QRectF area = roiArea(index);
  const int lineWidth = index == selected_ ? 2 : 1;
  // A dark rim keeps the outline visible on bright and on dark image parts alike.
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Qt::black, lineWidth + 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter.drawRect(area);
  const QColor colour = flagged_[index] ? FlaggedColour : RoiColours[index];
  painter.setPen(QPen(colour, lineWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter.drawRect(area);
}

QRectF ImageView::labelTab(const QFontMetrics& metrics, int index, const QRectF& avoid) const {
  const QRectF area = roiArea(index);
  QRectF tab(0, 0, metrics.horizontalAdvance(RoiNames[index]) + 8, metrics.height() + 2);
  // Outside the corner, or inside it where the view ends.
  tab.moveBottomLeft(area.topLeft() + QPointF(-1, -1));
  if (tab.top() < 0) tab.moveTopLeft(area.topLeft() + QPointF(1, 1));
  if (!tab.intersects(avoid)) return tab;
  tab.moveTopLeft(area.bottomLeft() + QPointF(-1, 1));
  if (tab.bottom() > height()) tab.moveBottomLeft(area.bottomLeft() + QPointF(1, -1));
  if (!tab.intersects(avoid)) return tab;
  tab.moveTopLeft(avoid.topRight() + QPointF(2, 0));
  return tab;
}

void ImageView::paintLabel(QPainter& painter, int index, const QRectF& tab) const {
  painter.fillRect(tab, flagged_[index] ? FlaggedColour : RoiColours[index]);
  painter.setPen(Qt::black);
  painter.drawText(tab, Qt::AlignCenter, RoiNames[index]);
}

void ImageView::paintEvent(QPaintEvent*) {
  toolkit::Dispatch([this] {
    QPainter painter(this);
    painter.fillRect(rect(), Backdrop);
    if (!coverage_) cover();
    if (frame_.isNull()) mapGreys();
    painter.drawImage(coverage_->topLeft, frame_);
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    // Frames first and names last, so that no frame hides the other ROI's name.
    for (const int index : {1 - selected_, selected_}) paintRoiFrame(painter, index);
    const QFontMetrics metrics(bold);
    const QRectF aluminium = labelTab(metrics, 0, {});
    paintLabel(painter, 0, aluminium);
    paintLabel(painter, 1, labelTab(metrics, 1, aluminium));
    if (!painted_) {
      painted_ = true;
      if (onFirstPaint) onFirstPaint();
    }
  });
}

double ImageView::fitScale() const {
  return std::min(static_cast<double>(width()) / image_.width(),
                  static_cast<double>(height()) / image_.height());
}

void ImageView::fit() {
  if (fitScale() <= 0) return;
  scale_ = fitScale();
  origin_ =
      QPointF(image_.width(), image_.height()) / 2 - QPointF(width(), height()) / (2 * scale_);
  fitted_ = true;
  coverage_.reset();
  frame_ = QImage();
  update();
}

void ImageView::zoomAbout(QPointF widgetPoint, double factor) {
  if (fitScale() <= 0) return;
  const QPointF fixed = imagePoint(widgetPoint);
  scale_ = std::clamp(scale_ * factor, fitScale() / 4, std::max(MaxScale, fitScale()));
  origin_ = fixed - widgetPoint / scale_;
  fitted_ = false;
  viewChanged();
}

void ImageView::viewChanged() {
  const QPointF half = QPointF(width(), height()) / (2 * scale_);
  const QPointF centre = origin_ + half;
  origin_ = QPointF(std::clamp(centre.x(), 0.0, static_cast<double>(image_.width())),
                    std::clamp(centre.y(), 0.0, static_cast<double>(image_.height()))) -
            half;
  coverage_.reset();
  frame_ = QImage();
  update();
}

void ImageView::resizeEvent(QResizeEvent* event) {
  toolkit::Dispatch([this, event] {
    if (fitted_) {
      fit();
      return;
    }
    const QSizeF before = event->oldSize();
    origin_ += QPointF(before.width() - width(), before.height() - height()) / (2 * scale_);
    viewChanged();
  });
}

void ImageView::wheelEvent(QWheelEvent* event) {
  toolkit::Dispatch([this, event] {
    const int delta = event->angleDelta().y();
    if (delta == 0) {
      event->ignore();
      return;
    }
    zoomAbout(event->position(), std::pow(ZoomStep, static_cast<double>(delta) / WheelNotch));
  });
}

int ImageView::roiAt(QPointF point) const {
  for (const int index : {selected_, 1 - selected_}) {
    if (roiArea(index).contains(point)) return index;
  }
  return -1;
}

void ImageView::moveRoi(int index, int x, int y) {
  imaging::Roi moved = rois_[index];
  moved.x = std::clamp(x, 0, image_.width() - moved.width);
  moved.y = std::clamp(y, 0, image_.height() - moved.height);
  if (moved == rois_[index]) return;
  rois_[index] = moved;
  roiChanged(index);
}

void ImageView::select(int index) {
  if (index == selected_) return;
  selected_ = index;
  update();
  AnnounceRoiChange(*this, index);
}

void ImageView::mousePressEvent(QMouseEvent* event) {
  toolkit::Dispatch([this, event] {
    if (drag_ != Drag::None) return;
    if (event->button() == Qt::RightButton) {
      drag_ = Drag::Window;
      dragAnchor_ = event->position();
      dragStartWindow_ = window_;
      return;
    }
    if (event->button() != Qt::LeftButton) {
      event->ignore();
      return;
    }
    const int hit = roiAt(event->position());
    if (hit >= 0) {
      select(hit);
      drag_ = Drag::Roi;
      dragAnchor_ = imagePoint(event->position()) - QPointF(rois_[hit].x, rois_[hit].y);
    } else {
      drag_ = Drag::Pan;
      dragAnchor_ = event->position();
      setCursor(Qt::ClosedHandCursor);
    }
  });
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
  toolkit::Dispatch([this, event] {
    switch (drag_) {
      case Drag::Roi: {
        const QPointF corner = imagePoint(event->position()) - dragAnchor_;
        moveRoi(selected_, static_cast<int>(std::lround(corner.x())),
                static_cast<int>(std::lround(corner.y())));
        break;
      }
      case Drag::Pan:
        origin_ -= (event->position() - dragAnchor_) / scale_;
        dragAnchor_ = event->position();
        fitted_ = false;
        viewChanged();
        break;
      case Drag::Window: {
        // Steps in proportion to the width at the start, so that they feel the same at any bit
        // depth and the window depends only on where the mouse is.
        const QPointF moved = event->position() - dragAnchor_;
        const double width = dragStartWindow_.width;
        setDisplayWindow({dragStartWindow_.center + moved.y() * WindowStep * width,
                          std::max(width * std::exp(moved.x() * WindowStep), NarrowestWindow)});
        break;
      }
      case Drag::None:
        setCursor(roiAt(event->position()) >= 0 ? Qt::SizeAllCursor : Qt::OpenHandCursor);
        break;
    }
  });
}

void ImageView::mouseReleaseEvent(QMouseEvent* event) {
  toolkit::Dispatch([this, event] {
    const Qt::MouseButton dragging = drag_ == Drag::Window ? Qt::RightButton : Qt::LeftButton;
    if (event->button() != dragging) return;
    drag_ = Drag::None;
    setCursor(roiAt(event->position()) >= 0 ? Qt::SizeAllCursor : Qt::OpenHandCursor);
  });
}

bool ImageView::event(QEvent* event) {
  // Tab reaches BG after Al, Shift+Tab Al before BG; from the last one the focus moves on.
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool forward = key->key() == Qt::Key_Tab && !key->modifiers().testFlag(Qt::ShiftModifier);
    const bool backward =
        key->key() == Qt::Key_Backtab ||
        (key->key() == Qt::Key_Tab && key->modifiers().testFlag(Qt::ShiftModifier));
    if ((forward && selected_ == 0) || (backward && selected_ == 1)) {
      toolkit::Dispatch([this, forward] { select(forward ? 1 : 0); });
      return true;
    }
  }
  return QWidget::event(event);
}

void ImageView::focusInEvent(QFocusEvent* event) {
  // Reached by Tab the first ROI is selected, by Shift+Tab the last.
  if (event->reason() == Qt::TabFocusReason) select(0);
  if (event->reason() == Qt::BacktabFocusReason) select(1);
  QWidget::focusInEvent(event);
}

void ImageView::keyPressEvent(QKeyEvent* event) {
  toolkit::Dispatch([this, event] {
    // Esc, Enter and the rest go on to the window.
    if (!handleKey(event->key(), event->modifiers())) event->ignore();
  });
}

bool ImageView::handleKey(int key, Qt::KeyboardModifiers modifiers) {
  const int step = modifiers.testFlag(Qt::ShiftModifier) ? ShiftStep : 1;
  const imaging::Roi& roi = rois_[selected_];
  const QPointF centre = QRectF(rect()).center();
  const bool control = modifiers.testFlag(Qt::ControlModifier);
  const auto arrow = [&](int dx, int dy) {
    if (control) {
      origin_ += QPointF(dx * width(), dy * height()) * PanStep / scale_;
      fitted_ = false;
      viewChanged();
    } else {
      moveRoi(selected_, roi.x + dx * step, roi.y + dy * step);
    }
    return true;
  };
  switch (key) {
    case Qt::Key_Left:
      return arrow(-1, 0);
    case Qt::Key_Right:
      return arrow(1, 0);
    case Qt::Key_Up:
      return arrow(0, -1);
    case Qt::Key_Down:
      return arrow(0, 1);
    case Qt::Key_Plus:
    case Qt::Key_Equal:  // Ctrl and the plus key without Shift on US keyboards
      if (control) zoomAbout(centre, ZoomStep);
      return control;
    case Qt::Key_Minus:
      if (control) zoomAbout(centre, 1 / ZoomStep);
      return control;
    case Qt::Key_0:
      if (control) fit();
      return control;
    default:
      return false;
  }
}

}  // namespace measure
