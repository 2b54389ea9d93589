#include "reference_page.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "device_box.h"
#include "form_parts.h"
#include "list_table.h"
#include "mean_picker_dialog.h"
#include "protocol/german_text.h"
#include "record/entries_in_words.h"
#include "record/record_error.h"
#include "record_texts.h"
#include "toolkit/event_dispatch.h"

namespace record_windows {

ReferencePage::ReferencePage(record::RecordDatabase& database,
                             const std::vector<record::Device>& devices, QWidget* parent)
    : QWidget(parent), database_(database) {
  table_ =
      NewListTable({QStringLiteral("Gerät"), QStringLiteral("Dicke (mm)"), QStringLiteral("Größe"),
                    QStringLiteral("Wert"), QStringLiteral("Quelle"), QStringLiteral("gültig ab"),
                    QStringLiteral("erfasst am"), QStringLiteral("Stand")},
                   QStringLiteral("Bezugswerte"));
  table_->setObjectName(QStringLiteral("references"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_, 1);
  layout->addWidget(newForm(devices));
  showReferences();
}

QWidget* ReferencePage::newForm(const std::vector<record::Device>& devices) {
  device_ = new DeviceBox(devices);
  device_->setObjectName(QStringLiteral("referenceDevice"));
  thickness_ = new QLineEdit;
  thickness_->setObjectName(QStringLiteral("referenceThickness"));
  thickness_->setPlaceholderText(QStringLiteral("z. B. 46"));
  quantity_ = NewQuantityBox();
  quantity_->setObjectName(QStringLiteral("referenceQuantity"));
  value_ = new QLineEdit;
  value_->setObjectName(QStringLiteral("referenceValue"));
  value_->setPlaceholderText(QStringLiteral("Zahl mit Punkt, z. B. 6.40"));
  auto* meanButton = NewButton(QStringLiteral("&Mittelwert aus Messungen…"));
  meanButton->setObjectName(QStringLiteral("chooseMean"));
  meanLabel_ = new QLabel;
  meanLabel_->setObjectName(QStringLiteral("referenceMean"));
  meanLabel_->setWordWrap(true);
  meanLabel_->hide();
  source_ = new QLineEdit;
  source_->setObjectName(QStringLiteral("referenceSource"));
  source_->setPlaceholderText(QStringLiteral("z. B. Abnahmeprüfung 2026-03-02, Protokoll 17"));
  validFrom_ = NewDateEdit(QDate::currentDate(), QStringLiteral("gültig ab"));
  validFrom_->setObjectName(QStringLiteral("referenceValidFrom"));
  auto* addButton = NewButton(QStringLiteral("Bezugswert &hinzufügen"));
  addButton->setObjectName(QStringLiteral("addReference"));

  auto* valueRow = new QHBoxLayout;
  valueRow->addWidget(value_, 1);
  valueRow->addWidget(meanButton);
  auto* group = new QGroupBox(QStringLiteral("Neuer Bezugswert"));
  auto* form = new QFormLayout(group);
  form->addRow(NewNoStandardsNotice());
  form->addRow(NewBuddyLabel(QStringLiteral("&Gerät:"), device_), device_);
  form->addRow(NewBuddyLabel(QStringLiteral("&Dicke (mm):"), thickness_), thickness_);
  form->addRow(NewBuddyLabel(QStringLiteral("G&röße:"), quantity_), quantity_);
  form->addRow(NewBuddyLabel(QStringLiteral("&Wert:"), value_), valueRow);
  form->addRow(QString(), meanLabel_);
  form->addRow(NewBuddyLabel(QStringLiteral("&Quelle:"), source_), source_);
  form->addRow(NewBuddyLabel(QStringLiteral("gültig &ab:"), validFrom_), validFrom_);
  form->addRow(QString(), addButton);
  group->setEnabled(device_->isEnabled());

  // A mean belongs to its device, thickness and quantity, and a typed value replaces it.
  const auto forget = [this] { forgetMean(); };
  connect(device_, &QComboBox::currentIndexChanged, this, forget);
  connect(quantity_, &QComboBox::currentIndexChanged, this, forget);
  connect(thickness_, &QLineEdit::textEdited, this, forget);
  connect(value_, &QLineEdit::textEdited, this, forget);
  connect(meanButton, &QPushButton::clicked, this,
          [this] { toolkit::Dispatch([this] { chooseMean(); }); });
  connect(addButton, &QPushButton::clicked, this, [this] { toolkit::Dispatch([this] { add(); }); });
  return group;
}

void ReferencePage::showReferences() {
  std::vector<QStringList> rows;
  const QDate today = QDate::currentDate();
  shownUpTo_ = 0;
  for (const record::ReferenceEntry& entry : record::ListReferences(database_)) {
    shownUpTo_ = std::max(shownUpTo_, entry.id);
    QString source = entry.source;
    if (!entry.meanOf.isEmpty()) {
      source += QStringLiteral(" (%1)").arg(record::MeanInWords(entry.meanOf));
    }
    rows.push_back({DeviceName(entry.serialNumber, entry.manufacturer, entry.model),
                    entry.thickness, QuantityName(entry.quantity), entry.value, source,
                    protocol::GermanDate(entry.validFrom), record::LocalTime(entry.recordedAt),
                    ReferenceStanding(entry, today)});
  }
  FillListTable(table_, rows);
}

void ReferencePage::chooseMean() {
  MeanPickerDialog picker(database_, device_->choice(), thickness_->text(),
                          quantity_->currentData().toString(), this);
  if (picker.exec() != QDialog::Accepted) return;
  meanOf_ = picker.chosen();
  value_->setText(picker.mean().value);
  QStringList ids;
  for (const qint64 id : meanOf_) ids << QString::number(id);
  meanLabel_->setText(QStringLiteral("Mittelwert der Messungen %1 (n = %2)")
                          .arg(ids.join(QStringLiteral(", ")))
                          .arg(picker.mean().n));
  meanLabel_->show();
}

void ReferencePage::forgetMean() {
  if (meanOf_.empty()) return;
  meanOf_.clear();
  meanLabel_->hide();
}

void ReferencePage::add() {
  try {
    record::AddReference(
        database_,
        {device_->choice(), thickness_->text(), quantity_->currentData().toString(),
         meanOf_.empty() ? value_->text() : QString(), source_->text(),
         validFrom_->date().toString(Qt::ISODate), meanOf_},
        shownUpTo_);
  } catch (const record::RecordConflict&) {
    // The other's value is listed before the message shows, and the form keeps what was typed:
    // adding it after all is one key.
    showReferences();
    throw;
  }
  // The source usually serves the next thickness too; the value does not.
  value_->clear();
  forgetMean();
  showReferences();
}

QString ReferenceStanding(const record::ReferenceEntry& entry, const QDate& today) {
  const QDate validFrom = QDate::fromString(entry.validFrom, Qt::ISODate);
  if (entry.supersededBy == 0) {
    return validFrom > today ? QStringLiteral("gilt ab %1").arg(protocol::GermanDate(validFrom))
                             : QStringLiteral("gilt");
  }
  const QDate supersededFrom = QDate::fromString(entry.supersededFrom, Qt::ISODate);
  const QString when = protocol::GermanDate(entry.supersededFrom);
  if (supersededFrom > today) {
    return validFrom > today ? QStringLiteral("gilt ab %1, abgelöst ab %2")
                                   .arg(protocol::GermanDate(validFrom), when)
                             : QStringLiteral("gilt, abgelöst ab %1").arg(when);
  }
  return QStringLiteral("abgelöst am %1").arg(when);
}

}  // namespace record_windows
