#include "display_window_box.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>

#include "image_view.h"
#include "toolkit/event_dispatch.h"

namespace measure {

DisplayWindowBox::DisplayWindowBox(ImageView& view,
                                   const std::optional<imaging::DisplayWindow>& fileWindow,
                                   QWidget* parent)
    : QGroupBox(QStringLiteral("Bilddarstellung"), parent), view_(view) {
  source_ = new QComboBox;
  source_->addItem(QStringLiteral("Automatisch (belichtetes Feld)"));
  choices_.push_back(view.automaticWindow());
  if (fileWindow) {
    source_->addItem(QStringLiteral("Aus der Datei"));
    choices_.push_back(*fileWindow);
  }
  source_->addItem(QStringLiteral("Manuell"));
  source_->setAccessibleName(QStringLiteral("Fenster"));
  source_->setToolTip(
      QStringLiteral("Woher das Fenster der Bilddarstellung kommt; Ziehen mit der rechten "
                     "Maustaste im Bild stellt es von Hand ein."));
  connect(source_, &QComboBox::activated, this,
          [this](int index) { toolkit::Dispatch([this, index] { choose(index); }); });
  auto* label = new QLabel(QStringLiteral("&Fenster:"));
  label->setBuddy(source_);

  auto* reset = new QPushButton(QStringLiteral("Fenster &zurücksetzen"));
  reset->setAccessibleName(QStringLiteral("Fenster zurücksetzen"));
  reset->setAutoDefault(false);
  connect(reset, &QPushButton::clicked, this,
          [this] { toolkit::Dispatch([this] { choose(chosen_); }); });

  auto* layout = new QFormLayout(this);
  layout->addRow(label, source_);
  layout->addRow(reset);
  view_.onDisplayWindowChanged = [this] { showState(); };
}

void DisplayWindowBox::choose(int index) {
  // "Manuell" keeps the window as it is.
  if (index >= static_cast<int>(choices_.size())) return;
  chosen_ = index;
  view_.setDisplayWindow(choices_[static_cast<std::size_t>(index)]);
}

void DisplayWindowBox::showState() {
  const imaging::DisplayWindow& chosen = choices_[static_cast<std::size_t>(chosen_)];
  const imaging::DisplayWindow& shown = view_.displayWindow();
  const bool asChosen = shown.center == chosen.center && shown.width == chosen.width;
  source_->setCurrentIndex(asChosen ? chosen_ : static_cast<int>(choices_.size()));
}

}  // namespace measure
