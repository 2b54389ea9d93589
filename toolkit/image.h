// A picture control: the kind that holds a picture, as distinct from a text label.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <functional>
#include <memory>

class QSvgRenderer;

namespace toolkit {

// A bitmap at 96 dots per inch, the resolution the layouts are made for, so that fonts given in
// points draw at the sizes the layouts expect. It is painted in logical pixels and holds size
// times devicePixelRatio device pixels, so that it stays sharp on a scaled screen.
QImage NewBitmap(const QSize& size, qreal devicePixelRatio = 1);

// The vector picture (SVG) at the largest size within bounds that keeps its proportions, rendered
// at devicePixelRatio; a null pixmap when the file cannot be read.
QPixmap VectorPixmap(const QString& fileName, const QSize& bounds, qreal devicePixelRatio);

// Its hint is the widget's tool tip. Deliberately not a QLabel, so that code telling controls
// apart by kind never takes a picture for a label. It takes every mouse press made on it, so
// presses never fall through to the window below it.
class TImage : public QWidget {
 public:
  explicit TImage(QWidget* parent = nullptr);
  ~TImage() override;

  // The bitmap to draw on, made at the control's size and its screen's pixel ratio, white, on
  // first use; it replaces a vector picture. After drawing, repaint the area that changed.
  QImage& Canvas();
  void setBitmap(const QImage& bitmap);
  // A vector picture (SVG); false, and no picture, when the file cannot be read.
  bool loadVector(const QString& fileName);

  // A picture larger than the control is scaled down to fit, keeping its proportions.
  void setProportional(bool on);
  // The picture stands in the middle of the control instead of its top-left corner.
  void setCenter(bool on);
  // Pixels of a bitmap that have the colour of its bottom-left pixel are not drawn.
  void setTransparent(bool on);

  std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at)> OnMouseDown;
  std::function<void(Qt::KeyboardModifiers shift, QPoint at)> OnMouseMove;
  // A left-button press and release on the control.
  std::function<void()> OnClick;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QSize pictureSize() const;
  // Where the picture is drawn, in the control's coordinates.
  QRect pictureRect() const;

  QImage bitmap_;
  std::unique_ptr<QSvgRenderer> vector_;
  bool proportional_ = false;
  bool center_ = false;
  bool transparent_ = false;
};

}  // namespace toolkit
