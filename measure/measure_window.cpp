#include "measure_window.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "display_window_box.h"
#include "hint_label.h"
#include "imaging/roi_placement.h"
#include "roi_panel.h"
#include "toolkit/event_dispatch.h"
#include "toolkit/widget_colour.h"

namespace {

constexpr QSize PreferredSize(1280, 860);
constexpr double LargestScreenShare = 0.9;
// The warning strip: fixed colours, so that a dark theme keeps it readable.
const QColor WarningBackground(0xFF, 0xF0, 0xC8);

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QGroupBox* NewFactsGroup(const std::vector<imaging::HeaderFact>& facts) {
  auto* group = new QGroupBox(QStringLiteral("Aufnahme"));
  auto* form = new QFormLayout(group);
  for (const imaging::HeaderFact& fact : facts) {
    if (!fact.listed) continue;
    auto* value = new QLabel(fact.value.empty() ? QStringLiteral("–") : FromUtf8(fact.value));
    value->setWordWrap(true);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(FromUtf8(fact.label) + ':', value);
  }
  return group;
}

}  // namespace

MeasureWindow::MeasureWindow(imaging::DicomImage image, const QString& fileName, QWidget* parent,
                             std::optional<imaging::ExposureSurvey> survey)
    : QDialog(parent), image_(std::move(image)), survey_(std::move(survey)) {
  setWindowTitle(QStringLiteral("Quantelo - Messen: %1").arg(QFileInfo(fileName).fileName()));
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  setSizeGripEnabled(true);

  const imaging::RoiPlacement start =
      imaging::PlaceRoisAtCentre(imaging::Roi{0, 0, image_.pixels().width, image_.pixels().height});
  view_ = new measure::ImageView(image_, {start.aluminium, start.background});
  panel_ = new measure::RoiPanel;
  auto* imageColumn = new QVBoxLayout;
  imageColumn->addWidget(view_, 1);
  imageColumn->addWidget(measure::NewHintLabel(QStringLiteral(
      "Ziehen verschiebt eine ROI oder das Bild. Im Bild wählt Tab nach „Al“ die ROI „BG“ "
      "(Umschalt + Tab zurück), erst dann geht es zum nächsten Feld; die Pfeiltasten verschieben "
      "die gewählte ROI um 1 Pixel, mit Umschalt um 10, Strg + Pfeiltasten verschieben das Bild. "
      "Zoom: Mausrad oder Strg + Plus/Minus; Strg + 0 zeigt das ganze Bild. Ziehen mit der "
      "rechten Maustaste stellt das Fenster ein: nach rechts breiter, nach links schmaler, nach "
      "unten höhere, nach oben niedrigere Fensterlage.")));
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(imageColumn, 1);
  layout->addWidget(newSidePanel());

  view_->onRoisChanged = [this] { updateFigures(); };
  view_->onFirstPaint = [this] {
    QMetaObject::invokeMethod(
        this,
        [this] {
          toolkit::Dispatch([this] {
            placementPending_ = false;
            placeAutomatically();
          });
        },
        Qt::QueuedConnection);
  };
  updateFigures();

  // Enter takes the values over unless another button has the focus. Only a button inside the
  // window can be its default, so this comes once the panel is in place.
  acceptButton_->setDefault(true);
  view_->setFocus();
  resize(PreferredSize.boundedTo(screen()->availableSize() * LargestScreenShare));
}

QWidget* MeasureWindow::newSidePanel() {
  auto* content = new QWidget;
  auto* contentLayout = new QVBoxLayout(content);
  contentLayout->setContentsMargins(0, 0, 0, 0);
  contentLayout->addWidget(newRoiControls());
  contentLayout->addWidget(new measure::DisplayWindowBox(*view_, image_.window()));
  contentLayout->addWidget(panel_);
  contentLayout->addWidget(NewFactsGroup(image_.facts()));
  contentLayout->addStretch(1);

  // Many header facts or a small screen must not push the buttons out of the window.
  auto* scroll = new QScrollArea;
  scroll->setWidget(content);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  // Not a stop of its own: Tab reaches the controls in it, and it scrolls to the one focused.
  scroll->setFocusPolicy(Qt::NoFocus);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setMinimumWidth(content->minimumSizeHint().width() +
                          scroll->verticalScrollBar()->sizeHint().width());

  warningStrip_ = new QLabel;
  warningStrip_->setObjectName(QStringLiteral("warnings"));
  warningStrip_->setWordWrap(true);
  warningStrip_->setTextFormat(Qt::PlainText);
  warningStrip_->setMargin(6);
  warningStrip_->setAutoFillBackground(true);
  warningStrip_->setFrameShape(QFrame::Box);
  toolkit::SetBackgroundColour(warningStrip_, QPalette::Window, WarningBackground);
  warningStrip_->setAccessibleName(QStringLiteral("Warnungen zur Messung"));
  // Screen readers reach a label only by Tab when it takes the focus.
  warningStrip_->setFocusPolicy(Qt::TabFocus);
  warningStrip_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  warningStrip_->hide();

  acceptButton_ = new QPushButton(QStringLiteral("Ü&bernehmen"));
  auto* cancelButton = new QPushButton(QStringLiteral("Abbrechen"));
  connect(acceptButton_, &QPushButton::clicked, this,
          [this] { toolkit::Dispatch([this] { accept(); }); });
  connect(cancelButton, &QPushButton::clicked, this,
          [this] { toolkit::Dispatch([this] { reject(); }); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(acceptButton_);
  buttons->addWidget(cancelButton);

  auto* side = new QWidget;
  auto* sideLayout = new QVBoxLayout(side);
  sideLayout->setContentsMargins(0, 0, 0, 0);
  sideLayout->addWidget(scroll, 1);
  sideLayout->addWidget(warningStrip_);
  sideLayout->addLayout(buttons);
  return side;
}

QWidget* MeasureWindow::newRoiControls() {
  auto* group = new QGroupBox(QStringLiteral("ROIs"));
  auto* layout = new QVBoxLayout(group);

  size_ = new QSpinBox;
  size_->setRange(std::min({imaging::SmallestRoiSide, image_.width(), image_.height()}),
                  std::min(image_.width(), image_.height()));
  size_->setValue(view_->rois()[0].width);
  size_->setSuffix(QStringLiteral(" px"));
  size_->setToolTip(QStringLiteral("Seitenlänge beider quadratischer ROIs in Pixeln"));
  // Applied on Enter, on leaving the field or by the arrows, not at every typed digit.
  size_->setKeyboardTracking(false);
  size_->installEventFilter(this);
  connect(size_, &QSpinBox::valueChanged, this,
          [this](int size) { toolkit::Dispatch([this, size] { view_->setRoiSize(size); }); });
  auto* sizeLabel = new QLabel(QStringLiteral("ROI-&Größe:"));
  sizeLabel->setBuddy(size_);
  auto* sizeRow = new QHBoxLayout;
  sizeRow->addWidget(sizeLabel);
  sizeRow->addWidget(size_, 1);
  layout->addLayout(sizeRow);

  auto* place = new QPushButton(QStringLiteral("&Automatisch platzieren"));
  place->setAutoDefault(false);
  connect(place, &QPushButton::clicked, this,
          [this] { toolkit::Dispatch([this] { placeAutomatically(); }); });
  layout->addWidget(place);
  return group;
}

void MeasureWindow::placeAutomatically() {
  if (!survey_) survey_ = imaging::SurveyExposure(image_);
  const imaging::RoiPlacement placement = imaging::PlaceRois(*survey_, size_->value());
  {
    const QSignalBlocker quiet(size_);
    size_->setValue(placement.aluminium.width);
  }
  view_->setRois({placement.aluminium, placement.background});
  automaticRois_ = view_->rois();
}

void MeasureWindow::updateFigures() {
  const measure::RoiPair& rois = view_->rois();
  measurement_ = imaging::Measure(image_, rois[0], rois[1]);
  panel_->setMeasurement(measurement_);
  if (survey_) warnings_ = imaging::CheckMeasurement(*survey_, image_.context(), rois[0], rois[1]);
  showWarnings();
}

void MeasureWindow::showWarnings() {
  std::array<bool, 2> flagged{};
  QStringList lines;
  for (const imaging::MeasurementWarning& warning : warnings_) {
    lines << QStringLiteral("⚠ ") + FromUtf8(warning.text);
    for (std::size_t i = 0; i < flagged.size(); ++i) flagged[i] = flagged[i] || warning.rois[i];
  }
  view_->setFlaggedRois(flagged);
  const QString text = lines.join('\n');
  warningStrip_->setText(text);
  warningStrip_->setAccessibleDescription(text);
  warningStrip_->setVisible(!lines.isEmpty());
}

bool MeasureWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched != size_ || event->type() != QEvent::KeyPress) {
    return QDialog::eventFilter(watched, event);
  }
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
  toolkit::Dispatch([this] { size_->interpretText(); });
  return true;
}

std::array<QString, 4> MeasureWindow::fieldTexts() const {
  return {QString::fromStdString(measurement_.aluminium.mean),
          QString::fromStdString(measurement_.aluminium.standardDeviation),
          QString::fromStdString(measurement_.background.mean),
          QString::fromStdString(measurement_.background.standardDeviation)};
}
