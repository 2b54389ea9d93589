#include "mean_picker_dialog.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "device_box.h"
#include "form_parts.h"
#include "list_table.h"
#include "protocol/german_text.h"
#include "record/exact_decimal.h"
#include "record/record_error.h"
#include "toolkit/event_dispatch.h"

namespace record_windows {
namespace {

// The thickness as the record writes it ("46.0" is "46"); raises for one that is no number.
QString thicknessKey(const QString& thickness) {
  const auto number = record::ExactDecimal::Parse(thickness.trimmed().toStdString());
  if (!number) {
    throw record::RecordError("Dicke: „" + thickness.toStdString() +
                              "“ ist keine Zahl (Zahlen mit Punkt, z. B. 46).");
  }
  return QString::fromStdString(number->text());
}

}  // namespace

MeanPickerDialog::MeanPickerDialog(record::RecordDatabase& database,
                                   const record::DeviceChoice& device, const QString& thickness,
                                   const QString& quantity, QWidget* parent)
    : QDialog(parent),
      database_(database),
      device_(device),
      deviceId_(record::FindDevice(database, device)),
      thickness_(thicknessKey(thickness)),
      quantity_(quantity) {
  setWindowTitle(QStringLiteral("Quantelo - Mittelwert aus Messungen"));
  setSizeGripEnabled(true);

  auto* intro = new QLabel(
      QStringLiteral("Messungen von %1 bei %2 mm wählen (Umschalt oder Strg mit Pfeiltasten und "
                     "Leertaste wählen mehrere); ihr Mittelwert wird der Bezugswert.")
          .arg(DeviceName(device.serialNumber, device.manufacturer, device.model), thickness_));
  intro->setWordWrap(true);

  const QDate today = QDate::currentDate();
  from_ = NewDateEdit(today.addYears(-1), QStringLiteral("Von"));
  from_->setObjectName(QStringLiteral("from"));
  to_ = NewDateEdit(today, QStringLiteral("Bis"));
  auto* period = new QHBoxLayout;
  period->addWidget(NewBuddyLabel(QStringLiteral("&Von:"), from_));
  period->addWidget(from_);
  period->addWidget(NewBuddyLabel(QStringLiteral("&Bis:"), to_));
  period->addWidget(to_);
  period->addStretch(1);

  table_ = NewListTable({QStringLiteral("Datum"), QStringLiteral("Messung"), QStringLiteral("SDNR"),
                         QStringLiteral("mAs"), QStringLiteral("Nachtrag")},
                        QStringLiteral("Messungen für den Mittelwert"));
  table_->setObjectName(QStringLiteral("measurements"));
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);

  meanLabel_ = new QLabel;
  meanLabel_->setObjectName(QStringLiteral("mean"));
  meanLabel_->setFocusPolicy(Qt::TabFocus);
  meanLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

  acceptButton_ = NewButton(QStringLiteral("&Übernehmen"));
  auto* cancelButton = NewButton(QStringLiteral("Abbrechen"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(meanLabel_, 1);
  buttons->addWidget(acceptButton_);
  buttons->addWidget(cancelButton);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(intro);
  layout->addLayout(period);
  layout->addWidget(table_, 1);
  layout->addLayout(buttons);
  resize(640, 520);

  const auto onPeriod = [this] { toolkit::Dispatch([this] { showMeasurements(); }); };
  connect(from_, &QDateEdit::dateChanged, this, onPeriod);
  connect(to_, &QDateEdit::dateChanged, this, onPeriod);
  connect(table_, &QTableWidget::itemSelectionChanged, this,
          [this] { toolkit::Dispatch([this] { showMean(); }); });
  connect(acceptButton_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
  showMeasurements();
}

void MeanPickerDialog::showMeasurements() {
  rows_.clear();
  for (record::HistoryRow& row :
       record::ReadHistory(database_, {device_.serialNumber, from_->date().toString(Qt::ISODate),
                                       to_->date().toString(Qt::ISODate)})) {
    if (row.manufacturer == device_.manufacturer && row.model == device_.model &&
        row.thickness == thickness_)
      rows_.push_back(std::move(row));
  }
  std::vector<QStringList> texts;
  for (const record::HistoryRow& row : rows_) {
    texts.push_back({protocol::GermanDate(row.date), QString::number(row.measurement), row.sdnr,
                     row.mas, row.amendment});
  }
  FillListTable(table_, texts);
  showMean();
}

void MeanPickerDialog::showMean() {
  chosen_.clear();
  for (const QModelIndex& index : table_->selectionModel()->selectedRows())
    chosen_.push_back(rows_[static_cast<size_t>(index.row())].measurement);
  std::sort(chosen_.begin(), chosen_.end());
  acceptButton_->setEnabled(false);
  if (chosen_.empty()) {
    meanLabel_->setText(QStringLiteral("Keine Messung gewählt."));
    return;
  }
  // A measurement that counts for no mean (voided, replaced) is told here, not in a box.
  try {
    mean_ = record::MeanOf(database_, deviceId_, thickness_, quantity_, chosen_);
  } catch (const record::RecordError& error) {
    meanLabel_->setText(QString::fromUtf8(error.what()));
    return;
  }
  meanLabel_->setText(QStringLiteral("Mittelwert: %1 (n = %2)").arg(mean_.value).arg(mean_.n));
  acceptButton_->setEnabled(true);
}

}  // namespace record_windows
