// The measuring window: an image with the two ROIs "Al" and "BG", their figures and the SDNR
// they give; "Übernehmen" hands the four texts to the main window's fields, Esc cancels.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "image_view.h"
#include "imaging/dicom_image.h"
#include "imaging/exposure_survey.h"
#include "imaging/measurement_checks.h"
#include "imaging/roi_statistics.h"

class QLabel;
class QPushButton;
class QSpinBox;

namespace measure {
class RoiPanel;
}

// A window of the program, as the main window is; its parts live in namespace measure.
class MeasureWindow : public QDialog {
 public:
  // fileName names the image in the title. The ROIs start side by side at the centre and are
  // placed automatically right after the image has first been painted, so that it shows at once;
  // from the survey given, or else one made then.
  MeasureWindow(imaging::DicomImage image, const QString& fileName, QWidget* parent = nullptr,
                std::optional<imaging::ExposureSurvey> survey = std::nullopt);

  // The four texts for mAl, sAl, mBG, sBG of the current ROIs.
  std::array<QString, 4> fieldTexts() const;
  // The measurement of the current ROIs: both ROIs, n, the four texts and the SDNR.
  const imaging::Measurement& measurement() const { return measurement_; }
  // Whether the ROIs are where the automatic placement put them last: not moved or resized by
  // hand since (nor left at the start before it ran).
  bool placedAutomatically() const { return automaticRois_ == view_->rois(); }
  const imaging::DicomImage& image() const { return image_; }
  const measure::RoiPair& rois() const { return view_->rois(); }
  measure::ImageView* view() const { return view_; }
  // Until the automatic placement on opening has run.
  bool placementPending() const { return placementPending_; }
  // The plausibility warnings of the current ROIs (none until the image has been surveyed).
  const std::vector<imaging::MeasurementWarning>& warnings() const { return warnings_; }

 protected:
  // Enter in the size field applies the size; elsewhere it takes the values over.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* newSidePanel();
  QWidget* newRoiControls();
  void placeAutomatically();
  void updateFigures();
  void showWarnings();

  imaging::DicomImage image_;
  imaging::Measurement measurement_;
  // Surveyed with the first automatic placement, after the image has been painted once.
  std::optional<imaging::ExposureSurvey> survey_;
  std::vector<imaging::MeasurementWarning> warnings_;
  measure::ImageView* view_;
  measure::RoiPanel* panel_;
  QSpinBox* size_;
  QPushButton* acceptButton_;
  QLabel* warningStrip_;
  bool placementPending_ = true;
  std::optional<measure::RoiPair> automaticRois_;
};
