// The figures beside the image: for each ROI its position, n, mean and standard deviation, and
// the SDNR they give.
#pragma once

#include <QWidget>
#include <array>

#include "imaging/roi_statistics.h"

class QLabel;
class QVBoxLayout;

namespace measure {

class RoiPanel : public QWidget {
 public:
  explicit RoiPanel(QWidget* parent = nullptr);

  void setMeasurement(const imaging::Measurement& measurement);

 private:
  struct RoiLabels {
    QLabel* position;
    QLabel* count;
    QLabel* mean;
    QLabel* standardDeviation;
  };

  static RoiLabels addRoiGroup(QVBoxLayout* layout, const QString& title);
  static void show(const RoiLabels& labels, const imaging::RoiMeasurement& roi);

  std::array<RoiLabels, 2> rois_;
  QLabel* sdnr_;
};

}  // namespace measure
