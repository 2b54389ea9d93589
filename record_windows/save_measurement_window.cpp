#include "save_measurement_window.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QUuid>
#include <QVBoxLayout>

#include "fact_fields.h"
#include "record/record_error.h"
#include "record/remembered_operator.h"
#include "record/save_or_queue.h"
#include "toolkit/event_dispatch.h"
#include "verdict_display.h"

namespace {

constexpr int FieldWidth = 220;

QString FromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

QLabel* NewWrappedLabel(const QString& text) {
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

SaveMeasurementWindow::SaveMeasurementWindow(record::MeasuredImage entry, const QString& recordPath,
                                             QWidget* parent)
    : QDialog(parent),
      entry_(std::move(entry)),
      recordPath_(recordPath),
      clientKey_(QUuid::createUuid().toString(QUuid::WithoutBraces)) {
  setWindowTitle(QStringLiteral("Quantelo - Messung speichern"));

  auto* deviceGroup = new QGroupBox(QStringLiteral("Gerät"));
  auto* deviceForm = new QFormLayout(deviceGroup);
  auto* exposureGroup = new QGroupBox(QStringLiteral("Aufnahme"));
  auto* exposureForm = new QFormLayout(exposureGroup);
  facts_ = std::make_unique<record_windows::FactFields>(entry_, deviceForm, exposureForm);
  QWidget* checkGroup = newCheckGroup();

  auto* recordLabel = NewWrappedLabel(QStringLiteral("QA-Record: %1").arg(recordPath_));
  recordLabel->setObjectName(QStringLiteral("record"));
  recordLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

  verdict_ = NewWrappedLabel({});
  verdict_->setObjectName(QStringLiteral("verdict"));
  verdict_->setAccessibleName(QStringLiteral("Ergebnis"));
  verdict_->setMargin(6);
  verdict_->setFrameShape(QFrame::Box);
  // Screen readers reach a label only by Tab when it takes the focus.
  verdict_->setFocusPolicy(Qt::TabFocus);
  verdict_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  verdict_->hide();

  saveButton_ = new QPushButton(QStringLiteral("&Speichern"));
  closeButton_ = new QPushButton(QStringLiteral("Abbrechen"));
  connect(saveButton_, &QPushButton::clicked, this,
          [this] { toolkit::Dispatch([this] { save(); }); });
  connect(closeButton_, &QPushButton::clicked, this,
          [this] { toolkit::Dispatch([this] { reject(); }); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(NewWrappedLabel(QStringLiteral("* Pflichtangabe")), 1);
  buttons->addWidget(saveButton_);
  buttons->addWidget(closeButton_);

  auto* grid = new QGridLayout(this);
  grid->addWidget(newMeasurementGroup(), 0, 0, 1, 2);
  grid->addWidget(deviceGroup, 1, 0);
  grid->addWidget(exposureGroup, 1, 1);
  grid->addWidget(checkGroup, 2, 0, 1, 2);
  grid->addWidget(recordLabel, 3, 0, 1, 2);
  grid->addWidget(verdict_, 4, 0, 1, 2);
  grid->addLayout(buttons, 5, 0, 1, 2);
  grid->setSizeConstraint(QLayout::SetFixedSize);

  for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->setMinimumWidth(FieldWidth);
  // Enter saves unless a button has the focus.
  saveButton_->setDefault(true);
  QLineEdit* first = facts_->firstToType();
  (first != nullptr ? first : operator_)->setFocus();
}

SaveMeasurementWindow::~SaveMeasurementWindow() = default;

QWidget* SaveMeasurementWindow::newMeasurementGroup() const {
  const imaging::Measurement& m = entry_.measurement;
  QStringList lines = {QStringLiteral("mAl %1 · sAl %2 · mBG %3 · sBG %4 · SDNR %5")
                           .arg(FromUtf8(m.aluminium.mean), FromUtf8(m.aluminium.standardDeviation),
                                FromUtf8(m.background.mean),
                                FromUtf8(m.background.standardDeviation), FromUtf8(m.sdnr))};
  if (entry_.typed) {
    lines << QStringLiteral("Von Hand eingegeben, ohne Bild: bitte Gerät und Aufnahme angeben.");
  } else {
    lines << QStringLiteral(
                 "Im Bild gemessen, ROIs %1, je %2 Pixel; Gerät und Aufnahme aus dem "
                 "Bild.")
                 .arg(entry_.automaticPlacement ? QStringLiteral("automatisch platziert")
                                                : QStringLiteral("von Hand platziert"))
                 .arg(m.aluminium.count);
  }
  for (const std::string& warning : entry_.warnings)
    lines << QStringLiteral("⚠ ") + FromUtf8(warning);
  auto* group = new QGroupBox(QStringLiteral("Messung"));
  auto* layout = new QVBoxLayout(group);
  auto* summary = NewWrappedLabel(lines.join('\n'));
  summary->setObjectName(QStringLiteral("measurement"));
  summary->setAccessibleName(QStringLiteral("Messung"));
  summary->setAccessibleDescription(lines.join('\n'));
  // Screen readers reach a label only by Tab when it takes the focus.
  summary->setFocusPolicy(Qt::TabFocus);
  summary->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  layout->addWidget(summary);
  return group;
}

QWidget* SaveMeasurementWindow::newCheckGroup() {
  auto* group = new QGroupBox(QStringLiteral("Prüfung"));
  auto* form = new QFormLayout(group);
  const auto addField = [form](const QString& label, const QString& name) {
    auto* edit = new QLineEdit;
    edit->setAccessibleName(name);
    form->addRow(label, edit);
    return edit;
  };
  operator_ = addField(QStringLiteral("&Prüfer *:"), QStringLiteral("Prüfer"));
  operator_->setText(record::RememberedOperator());
  operator_->setAccessibleDescription(QStringLiteral("Pflichtfeld, wird gemerkt"));
  phantom_ = addField(QStringLiteral("Prüfmi&ttel:"), QStringLiteral("Prüfmittel"));
  remark_ = addField(QStringLiteral("&Bemerkung:"), QStringLiteral("Bemerkung"));
  return group;
}

void SaveMeasurementWindow::save() {
  std::optional<record_windows::FactFields::Problem> problem = facts_->check();
  if (!problem && operator_->text().trimmed().isEmpty())
    problem = {QStringLiteral("Bitte „Prüfer“ angeben."), operator_};
  if (problem) {
    QMessageBox::warning(this, QStringLiteral("Quantelo"), problem->message);
    problem->field->setFocus();
    return;
  }
  record::MeasuredImage entry = entry_;
  facts_->fillIn(entry);
  entry.remark = remark_->text().trimmed().toStdString();
  record::SessionEntry session;
  session.clientKey = clientKey_;
  session.performedAt = QDateTime::currentDateTimeUtc();
  session.operatorName = operator_->text().trimmed();
  session.phantom = phantom_->text().trimmed();
  session.version = QCoreApplication::applicationVersion();

  const record::SaveResult result = record::SaveOrQueue(
      recordPath_, session, {entry}, record::OpenRecord, record::OutboxLocation(),
      [this](const std::string& message) {
        QMessageBox::warning(this, QStringLiteral("Quantelo"), QString::fromStdString(message));
      });
  if (!result.unreachable && !result.saved.front().id)
    throw record::RecordError(result.saved.front().refusal);
  record::RememberOperator(session.operatorName);
  if (result.unreachable) {
    record_windows::ShowWaitingForServer(verdict_, result.waiting);
  } else {
    record_windows::ShowVerdict(verdict_, result.saved.front());
  }
  endEditing();
}

void SaveMeasurementWindow::endEditing() {
  for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->setReadOnly(true);
  saveButton_->setEnabled(false);
  closeButton_->setText(QStringLiteral("Schließen"));
  closeButton_->setDefault(true);
  verdict_->setFocus();
}
