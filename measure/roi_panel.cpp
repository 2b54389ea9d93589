#include "roi_panel.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "hint_label.h"

namespace measure {

namespace {

// Room for a number of 15 significant digits with sign and point, so that the panel keeps its
// width while the figures change.
const QString WidestFigure = QStringLiteral("-0.00000000000000");

QLabel* NewValueLabel() {
  auto* label = new QLabel;
  // The figures can be copied, as one would copy them from a report.
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance(WidestFigure));
  return label;
}

}  // namespace

RoiPanel::RoiPanel(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  rois_ = {addRoiGroup(layout, QStringLiteral("Aluminium (Al)")),
           addRoiGroup(layout, QStringLiteral("Hintergrund (BG)"))};

  auto* result = new QGroupBox(QStringLiteral("Ergebnis"));
  auto* resultLayout = new QFormLayout(result);
  sdnr_ = NewValueLabel();
  QFont large = sdnr_->font();
  large.setBold(true);
  large.setPointSizeF(large.pointSizeF() * 1.4);
  sdnr_->setFont(large);
  resultLayout->addRow(QStringLiteral("SDNR:"), sdnr_);
  sdnr_->setAccessibleName(QStringLiteral("SDNR"));
  layout->addWidget(result);

  layout->addWidget(NewHintLabel(
      QStringLiteral("Standardabweichung der Stichprobe: die Summe der Abweichungsquadrate wird "
                     "durch n − 1 geteilt.")));
}

RoiPanel::RoiLabels RoiPanel::addRoiGroup(QVBoxLayout* layout, const QString& title) {
  auto* group = new QGroupBox(title);
  auto* form = new QFormLayout(group);
  const RoiLabels labels{NewValueLabel(), NewValueLabel(), NewValueLabel(), NewValueLabel()};
  // Each value named with its ROI and caption, so that a screen reader reading the panel in
  // order, or one value alone, says what it is.
  const auto addRow = [&](const QString& caption, QLabel* value) {
    form->addRow(caption + ':', value);
    value->setAccessibleName(title + ", " + caption);
  };
  addRow(QStringLiteral("Position (oben links)"), labels.position);
  addRow(QStringLiteral("Pixelanzahl n"), labels.count);
  addRow(QStringLiteral("Mittelwert"), labels.mean);
  addRow(QStringLiteral("Standardabweichung (n − 1)"), labels.standardDeviation);
  layout->addWidget(group);
  return labels;
}

void RoiPanel::setMeasurement(const imaging::Measurement& measurement) {
  show(rois_[0], measurement.aluminium);
  show(rois_[1], measurement.background);
  sdnr_->setText(QString::fromStdString(measurement.sdnr));
}

void RoiPanel::show(const RoiLabels& labels, const imaging::RoiMeasurement& roi) {
  labels.position->setText(QStringLiteral("x = %1, y = %2").arg(roi.roi.x).arg(roi.roi.y));
  labels.count->setText(QString::number(roi.count));
  // Exactly the texts the main window's fields receive.
  labels.mean->setText(QString::fromStdString(roi.mean));
  labels.standardDeviation->setText(QString::fromStdString(roi.standardDeviation));
}

}  // namespace measure
