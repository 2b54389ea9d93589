// The image with its two ROIs: painted at screen resolution from the stored values, zoomed with
// the wheel or Ctrl+plus/minus, panned by dragging the background. A ROI moves by dragging it or,
// once selected, with the arrow keys (1 pixel, with Shift 10); it never leaves the image.
#pragma once

#include <QImage>
#include <QPointF>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "imaging/dicom_image.h"
#include "imaging/roi.h"

namespace measure {

// The aluminium ROI first, then the background's.
using RoiPair = std::array<imaging::Roi, 2>;

class ImageView : public QWidget {
 public:
  // The image must outlive the view; the ROIs must fit in it.
  ImageView(const imaging::DicomImage& image, const RoiPair& rois, QWidget* parent = nullptr);

  const RoiPair& rois() const { return rois_; }
  // Places both ROIs anew (they must fit); an image without a window of its own is levelled to
  // them.
  void setRois(const RoiPair& rois);
  // Both ROIs become squares of this side (1 to the image's shorter side) about their centres,
  // moved back into the image where they would leave it.
  void setRoiSize(int size);

  // Screen pixels per image pixel.
  double scale() const { return scale_; }
  QPointF imagePoint(QPointF widgetPoint) const;
  QPointF widgetPoint(QPointF imagePoint) const;

  // After every change of a ROI's position or size.
  std::function<void()> onRoisChanged;
  // Once, after the image has been painted for the first time.
  std::function<void()> onFirstPaint;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  enum class Drag : std::uint8_t { None, Roi, Pan };

  void render();
  void paintRoi(QPainter& painter, int index) const;
  double fitScale() const;
  void fit();
  void zoomAbout(QPointF widgetPoint, double factor);
  // After a zoom or pan: keeps the view's centre on the image and renders anew.
  void viewChanged();
  // The ROI under the point, the selected one first; -1 for none.
  int roiAt(QPointF widgetPoint) const;
  void moveRoi(int index, int x, int y);
  // Whether the key is one of the view's: arrows, and zoom with Ctrl.
  bool handleKey(int key, Qt::KeyboardModifiers modifiers);

  const imaging::DicomImage& image_;
  std::vector<std::uint8_t> greys_;
  RoiPair rois_;
  int selected_ = 0;
  double scale_ = 1;
  QPointF origin_;      // the image point at the view's top-left corner
  bool fitted_ = true;  // the image follows the view's size until the user zooms or pans
  // The visible part of the image at the screen's resolution; null when it must be rendered.
  QImage frame_;
  QPointF frameTopLeft_;
  Drag drag_ = Drag::None;
  QPointF dragAnchor_;  // ROI: the grabbed point in ROI coordinates; pan: the last mouse point
  bool painted_ = false;
};

}  // namespace measure
