#include "reference_values_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "form_parts.h"
#include "open_record.h"
#include "reference_page.h"
#include "tolerance_page.h"

ReferenceValuesWindow::ReferenceValuesWindow(const QString& recordPath, QWidget* parent)
    : QDialog(parent), database_(record_windows::OpenExistingRecord(recordPath)) {
  setWindowTitle(QStringLiteral("Quantelo - Bezugswerte und Toleranzen"));
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  setSizeGripEnabled(true);

  const std::vector<record::Device> devices = record::ListDevices(*database_);
  auto* pages = new QTabWidget;
  pages->setObjectName(QStringLiteral("pages"));
  pages->addTab(new record_windows::ReferencePage(*database_, devices),
                QStringLiteral("&Bezugswerte"));
  pages->addTab(new record_windows::TolerancePage(*database_, devices),
                QStringLiteral("&Toleranzregeln"));

  auto* closeButton = record_windows::NewButton(QStringLiteral("Schl&ießen"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(closeButton);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(record_windows::NewRecordLabel(recordPath));
  layout->addWidget(pages, 1);
  layout->addLayout(buttons);
  resize(980, 760);
  connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}
