// "Bilddarstellung": which display window the view shows. The automatic one from the exposed
// field comes first and is chosen at the start; the file's own follows when it has one; dragging
// with the right mouse button in the view makes it "Manuell", and "Fenster zurücksetzen" goes
// back to the window last chosen.
#pragma once

#include <QGroupBox>
#include <optional>
#include <vector>

#include "imaging/dicom_image.h"

class QComboBox;

namespace measure {

class ImageView;

class DisplayWindowBox : public QGroupBox {
 public:
  // Takes over the view's onDisplayWindowChanged. The view must outlive the box.
  DisplayWindowBox(ImageView& view, const std::optional<imaging::DisplayWindow>& fileWindow,
                   QWidget* parent = nullptr);

 private:
  void choose(int index);
  void showState();

  ImageView& view_;
  std::vector<imaging::DisplayWindow> choices_;  // in the combo box's order, "Manuell" after them
  int chosen_ = 0;
  QComboBox* source_;
};

}  // namespace measure
