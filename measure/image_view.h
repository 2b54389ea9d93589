// The image with its two ROIs: painted at screen resolution from the stored values, zoomed with
// the wheel or Ctrl+plus/minus, panned by dragging the background or with Ctrl+arrows. A ROI moves
// by dragging it or, once selected, with the arrow keys (1 pixel, with Shift 10); it never leaves
// the image. Tab selects "BG" after "Al" (Shift+Tab back) before it moves the focus on, so the
// keyboard alone reaches both.
// Dragging with the right mouse button sets the display window: rightwards wider, downwards a
// higher centre, by half a per cent of the width per pixel, whatever the image's bit depth.
#pragma once

#include <QImage>
#include <QPointF>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "footprint.h"
#include "grey_mapping.h"
#include "imaging/dicom_image.h"
#include "imaging/roi.h"

namespace measure {

// The aluminium ROI first, then the background's.
using RoiPair = std::array<imaging::Roi, 2>;

// "Al" and "BG".
const QString& RoiName(int index);

class ImageView : public QWidget {
 public:
  // The image must outlive the view; the ROIs must fit in it.
  ImageView(const imaging::DicomImage& image, const RoiPair& rois, QWidget* parent = nullptr);

  const RoiPair& rois() const { return rois_; }
  // The ROI the keys move: 0 for Al, 1 for BG.
  int selectedRoi() const { return selected_; }
  // Where the ROI is on the screen, within the view.
  QRect roiScreenRect(int index) const;
  // Places both ROIs anew (they must fit).
  void setRois(const RoiPair& rois);
  // Both ROIs become squares of this side (1 to the image's shorter side) about their centres,
  // moved back into the image where they would leave it.
  void setRoiSize(int size);

  // A flagged ROI is outlined, with its name, in a warning colour.
  void setFlaggedRois(std::array<bool, 2> flagged);

  // The window the view starts with, AutomaticDisplayWindow's, made once for the image.
  const imaging::DisplayWindow& automaticWindow() const { return automaticWindow_; }
  const imaging::DisplayWindow& displayWindow() const { return window_; }
  // Maps the greys anew; the footprints of the visible part stay.
  void setDisplayWindow(const imaging::DisplayWindow& window);

  // Screen pixels per image pixel.
  double scale() const { return scale_; }
  QPointF imagePoint(QPointF widgetPoint) const;
  QPointF widgetPoint(QPointF imagePoint) const;

  // After every change of a ROI's position or size.
  std::function<void()> onRoisChanged;
  // After every change of the display window, by dragging or by setDisplayWindow.
  std::function<void()> onDisplayWindowChanged;
  // Once, after the image has been painted for the first time.
  std::function<void()> onFirstPaint;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  enum class Drag : std::uint8_t { None, Roi, Pan, Window };

  // The visible part of the image at the screen's resolution, before the window maps it to greys.
  struct Coverage {
    int width = 0;
    int height = 0;
    QPointF topLeft;  // in the view
    double ratio = 1;
    std::vector<Footprint> footprints;  // row by row
  };

  void cover();
  void mapGreys();
  QRectF roiArea(int index) const;
  void paintRoiFrame(QPainter& painter, int index) const;
  // The tab for the ROI's name above its top-left corner or, where `avoid` is, below its
  // bottom-left corner or beside `avoid`.
  QRectF labelTab(const QFontMetrics& metrics, int index, const QRectF& avoid) const;
  void paintLabel(QPainter& painter, int index, const QRectF& tab) const;
  double fitScale() const;
  void fit();
  void zoomAbout(QPointF widgetPoint, double factor);
  // After a zoom or pan: keeps the view's centre on the image and renders anew.
  void viewChanged();
  // The ROI under the point, the selected one first; -1 for none.
  int roiAt(QPointF widgetPoint) const;
  void moveRoi(int index, int x, int y);
  void select(int index);
  // After a ROI changed: repaint, and tell the window and screen readers.
  void roiChanged(int index);
  // Whether the key is one of the view's: arrows, and zoom and pan with Ctrl.
  bool handleKey(int key, Qt::KeyboardModifiers modifiers);

  const imaging::DicomImage& image_;
  imaging::DisplayWindow automaticWindow_;
  imaging::DisplayWindow window_;
  GreyTable greys_;
  RoiPair rois_;
  std::array<bool, 2> flagged_{};
  int selected_ = 0;
  double scale_ = 1;
  QPointF origin_;      // the image point at the view's top-left corner
  bool fitted_ = true;  // the image follows the view's size until the user zooms or pans
  std::optional<Coverage> coverage_;  // none when the view has zoomed or panned
  QImage frame_;                      // the coverage in greys; null when they must be mapped
  Drag drag_ = Drag::None;
  // ROI: the grabbed point in ROI coordinates; pan: the last mouse point; window: the first.
  QPointF dragAnchor_;
  imaging::DisplayWindow dragStartWindow_;
  bool painted_ = false;
};

}  // namespace measure
