#include "tolerance_page.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <map>

#include "device_box.h"
#include "form_parts.h"
#include "list_table.h"
#include "record/entries_in_words.h"
#include "record/record_error.h"
#include "record_texts.h"
#include "toolkit/event_dispatch.h"

namespace record_windows {
namespace {

QLineEdit* newField(const QString& name, const QString& placeholder) {
  auto* field = new QLineEdit;
  field->setObjectName(name);
  field->setPlaceholderText(placeholder);
  return field;
}

}  // namespace

TolerancePage::TolerancePage(record::RecordDatabase& database,
                             const std::vector<record::Device>& devices, QWidget* parent)
    : QWidget(parent), database_(database) {
  table_ =
      NewListTable({QStringLiteral("Größe"), QStringLiteral("Gerät"), QStringLiteral("Dicke (mm)"),
                    QStringLiteral("Grenzen"), QStringLiteral("Quelle"),
                    QStringLiteral("erfasst am"), QStringLiteral("Stand")},
                   QStringLiteral("Toleranzregeln"));
  table_->setObjectName(QStringLiteral("tolerances"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_, 1);
  layout->addWidget(newForm(devices));
  showRules();
}

QWidget* TolerancePage::newForm(const std::vector<record::Device>& devices) {
  quantity_ = NewQuantityBox();
  quantity_->setObjectName(QStringLiteral("toleranceQuantity"));
  device_ = new DeviceBox(devices, QStringLiteral("alle Geräte"));
  device_->setObjectName(QStringLiteral("toleranceDevice"));
  thickness_ = newField(QStringLiteral("toleranceThickness"), QStringLiteral("leer: alle Dicken"));
  belowPercent_ =
      newField(QStringLiteral("belowPercent"), QStringLiteral("z. B. 10 für −10 % (leer: keine)"));
  abovePercent_ =
      newField(QStringLiteral("abovePercent"), QStringLiteral("z. B. 10 für +10 % (leer: keine)"));
  minimum_ = newField(QStringLiteral("minimum"), QStringLiteral("leer: keines"));
  maximum_ = newField(QStringLiteral("maximum"), QStringLiteral("leer: keines"));
  source_ = newField(QStringLiteral("toleranceSource"),
                     QStringLiteral("z. B. Norm, Abschnitt, Ausgabe; oder Abnahmeprotokoll"));
  auto* addButton = NewButton(QStringLiteral("Toleranzregel &hinzufügen"));
  addButton->setObjectName(QStringLiteral("addTolerance"));

  auto* group = new QGroupBox(QStringLiteral("Neue Toleranzregel"));
  auto* form = new QFormLayout(group);
  form->addRow(NewNoStandardsNotice());
  form->addRow(NewBuddyLabel(QStringLiteral("G&röße:"), quantity_), quantity_);
  form->addRow(NewBuddyLabel(QStringLiteral("&Gerät:"), device_), device_);
  form->addRow(NewBuddyLabel(QStringLiteral("&Dicke (mm):"), thickness_), thickness_);
  form->addRow(NewBuddyLabel(QStringLiteral("&Prozent darunter:"), belowPercent_), belowPercent_);
  form->addRow(NewBuddyLabel(QStringLiteral("Prozent dar&über:"), abovePercent_), abovePercent_);
  form->addRow(NewBuddyLabel(QStringLiteral("&Minimum:"), minimum_), minimum_);
  form->addRow(NewBuddyLabel(QStringLiteral("Ma&ximum:"), maximum_), maximum_);
  form->addRow(NewBuddyLabel(QStringLiteral("&Quelle:"), source_), source_);
  form->addRow(new QLabel(QStringLiteral("Mindestens eine Grenze angeben.")));
  form->addRow(QString(), addButton);

  connect(addButton, &QPushButton::clicked, this, [this] { toolkit::Dispatch([this] { add(); }); });
  return group;
}

void TolerancePage::showRules() {
  const std::vector<record::ToleranceEntry> entries = record::ListToleranceRules(database_);
  std::map<qint64, QString> recordedAt;
  for (const record::ToleranceEntry& entry : entries) recordedAt[entry.id] = entry.recordedAt;
  shownUpTo_ = recordedAt.empty() ? 0 : recordedAt.rbegin()->first;
  std::vector<QStringList> rows;
  for (const record::ToleranceEntry& entry : entries) {
    const QString standing = entry.supersededBy == 0
                                 ? QStringLiteral("gilt")
                                 : QStringLiteral("abgelöst am %1")
                                       .arg(record::LocalTime(recordedAt[entry.supersededBy]));
    rows.push_back({QuantityName(entry.quantity),
                    DeviceName(entry.serialNumber, entry.manufacturer, entry.model),
                    entry.thickness.isEmpty() ? QStringLiteral("alle") : entry.thickness,
                    entry.inWords, entry.source, record::LocalTime(entry.recordedAt), standing});
  }
  FillListTable(table_, rows);
}

void TolerancePage::add() {
  try {
    record::AddToleranceRule(database_,
                             {quantity_->currentData().toString(), device_->choice(),
                              thickness_->text(), belowPercent_->text(), abovePercent_->text(),
                              minimum_->text(), maximum_->text(), source_->text()},
                             shownUpTo_);
  } catch (const record::RecordConflict&) {
    // As for a reference value: the other's rule listed, what was typed kept.
    showRules();
    throw;
  }
  for (QLineEdit* bound : {belowPercent_, abovePercent_, minimum_, maximum_}) bound->clear();
  showRules();
}

}  // namespace record_windows
