#include "history_window.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

#include "device_box.h"
#include "form_parts.h"
#include "history_table_model.h"
#include "open_record.h"
#include "protocol/record_protocol.h"
#include "record/devices.h"
#include "record/history_export.h"
#include "record/outbox.h"
#include "record/record_error.h"
#include "record_change_watch.h"
#include "toolkit/event_dispatch.h"
#include "trend_plot_view.h"
#include "waiting_notice.h"

using record_windows::HistoryTableModel;

namespace {

constexpr QSize PreferredSize(1040, 800);

// Room for a column's header and its widest usual content.
void fitColumns(QTableView* table) {
  const QFontMetrics metrics = table->fontMetrics();
  const int padding = metrics.averageCharWidth() * 3;
  const QString widest[] = {QStringLiteral("00.00.0000"),
                            QString(),
                            QStringLiteral("00.00"),
                            QString(),
                            QString(),
                            QStringLiteral("nicht bestanden"),
                            QStringLiteral("Bedingungen abweichend"),
                            QString()};
  for (int column = 0; column < HistoryTableModel::Columns; ++column) {
    const QString header =
        table->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    table->setColumnWidth(column, std::max(metrics.horizontalAdvance(header),
                                           metrics.horizontalAdvance(widest[column])) +
                                      padding);
  }
  table->horizontalHeader()->setStretchLastSection(true);
}

}  // namespace

HistoryWindow::HistoryWindow(const QString& recordPath, QWidget* parent)
    : QDialog(parent), recordPath_(recordPath) {
  setWindowTitle(QStringLiteral("Quantelo - Verlauf"));
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  setSizeGripEnabled(true);
  database_ = record_windows::OpenExistingRecord(recordPath_);
  model_ = std::make_unique<HistoryTableModel>(*database_);

  device_ = new record_windows::DeviceBox(record::ListDevices(*database_));
  device_->setObjectName(QStringLiteral("device"));
  const QDate today = QDate::currentDate();
  from_ = record_windows::NewDateEdit(today.addYears(-1), QStringLiteral("Von"));
  from_->setObjectName(QStringLiteral("from"));
  to_ = record_windows::NewDateEdit(today, QStringLiteral("Bis"));
  to_->setObjectName(QStringLiteral("to"));
  auto* choice = new QHBoxLayout;
  choice->addWidget(record_windows::NewBuddyLabel(QStringLiteral("&Gerät:"), device_));
  choice->addWidget(device_, 1);
  choice->addSpacing(fontMetrics().averageCharWidth() * 2);
  choice->addWidget(record_windows::NewBuddyLabel(QStringLiteral("&Von:"), from_));
  choice->addWidget(from_);
  choice->addWidget(record_windows::NewBuddyLabel(QStringLiteral("&Bis:"), to_));
  choice->addWidget(to_);

  table_ = new QTableView;
  table_->setObjectName(QStringLiteral("history"));
  table_->setAccessibleName(QStringLiteral("Messungen"));
  table_->setModel(model_.get());
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setAlternatingRowColors(true);
  table_->setWordWrap(false);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  fitColumns(table_);
  // Tab leaves the table instead of walking its cells.
  table_->setTabKeyNavigation(false);

  plot_ = new record_windows::TrendPlotView;
  plot_->setObjectName(QStringLiteral("plot"));

  exportButton_ = record_windows::NewButton(QStringLiteral("&Export CSV…"));
  exportButton_->setObjectName(QStringLiteral("export"));
  protocolButton_ = record_windows::NewButton(QStringLiteral("&Protokoll (PDF)…"));
  protocolButton_->setObjectName(QStringLiteral("protocol"));
  auto* closeButton = record_windows::NewButton(QStringLiteral("Schl&ießen"));
  closeButton->setObjectName(QStringLiteral("close"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(exportButton_);
  buttons->addWidget(protocolButton_);
  buttons->addStretch(1);
  buttons->addWidget(closeButton);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(record_windows::NewRecordLabel(recordPath_));
  layout->addWidget(new record_windows::WaitingNotice(recordPath_, record::OutboxLocation(), this));
  layout->addLayout(choice);
  layout->addWidget(table_, 3);
  layout->addWidget(plot_, 2);
  layout->addLayout(buttons);
  resize(PreferredSize);

  const auto onChange = [this] { toolkit::Dispatch([this] { showHistory(); }); };
  connect(device_, &QComboBox::currentIndexChanged, this, onChange);
  connect(from_, &QDateEdit::dateChanged, this, onChange);
  connect(to_, &QDateEdit::dateChanged, this, onChange);
  connect(exportButton_, &QPushButton::clicked, this,
          [this] { toolkit::Dispatch([this] { exportCsv(); }); });
  connect(protocolButton_, &QPushButton::clicked, this,
          [this] { toolkit::Dispatch([this] { writeProtocol(); }); });
  connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
  // Listening before the first read, so that no save falls between the two.
  watch_ = std::make_unique<record_windows::RecordChangeWatch>(
      *database_, [this] { toolkit::Dispatch([this] { showChanges(); }); });
  showHistory();
}

HistoryWindow::~HistoryWindow() = default;

record::HistoryFilter HistoryWindow::filter() const {
  return {device_->choice().serialNumber, from_->date().toString(Qt::ISODate),
          to_->date().toString(Qt::ISODate)};
}

void HistoryWindow::showHistory() {
  const bool anyDevice = !device_->choice().serialNumber.isEmpty();
  exportButton_->setEnabled(anyDevice);
  protocolButton_->setEnabled(anyDevice);
  if (!anyDevice) return;
  model_->setFilter(filter());
  plot_->load(recordPath_, filter());
}

void HistoryWindow::showChanges() {
  const record::DeviceChoice shown = device_->choice();
  {
    const QSignalBlocker quiet(device_);
    device_->setDevices(record::ListDevices(*database_));
  }
  if (device_->choice() != shown) {
    showHistory();
    return;
  }
  if (shown.serialNumber.isEmpty()) return;
  const int scrolled = table_->verticalScrollBar()->value();
  const QModelIndex current = table_->currentIndex();
  const qint64 measurement = current.isValid() ? model_->historyRow(current.row()).measurement : 0;
  model_->reload();
  table_->verticalScrollBar()->setValue(scrolled);
  if (const int row = model_->rowOf(measurement); current.isValid() && row >= 0)
    table_->setCurrentIndex(model_->index(row, current.column()));
  plot_->load(recordPath_, filter());
}

QString HistoryWindow::suggestedFile(const QString& kind, const QString& suffix) const {
  const record::HistoryFilter chosen = filter();
  return QDir::home().filePath(QStringLiteral("%1 %2 %3 bis %4.%5")
                                   .arg(kind, chosen.deviceSerial, chosen.from, chosen.to, suffix));
}

void HistoryWindow::exportCsv() {
  const QString comma = QStringLiteral("CSV (Komma) (*.csv)");
  const QString german = QStringLiteral("CSV für deutsche Tabellenprogramme (Semikolon) (*.csv)");
  QString dialect = comma;
  const QString path = QFileDialog::getSaveFileName(
      this, QStringLiteral("Verlauf als CSV exportieren"), suggestedFile("Verlauf", "csv"),
      comma + QStringLiteral(";;") + german, &dialect);
  if (path.isEmpty()) return;
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
  // Replaces an existing file only once the new one is whole.
  QSaveFile file(path);
  const auto failed = [&file, &path] {
    return record::RecordError("Die Datei „" + path.toStdString() + "“ lässt sich nicht schreiben.",
                               file.errorString().toStdString());
  };
  if (!file.open(QIODevice::WriteOnly)) throw failed();
  record::WriteHistory(
      *database_, filter(),
      dialect == german ? record::HistoryFormat::GermanCsv : record::HistoryFormat::Csv,
      [&file, &failed](const std::string& text) {
        if (file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()))
          throw failed();
      });
  if (!file.commit()) throw failed();
}

void HistoryWindow::writeProtocol() {
  const QString path = QFileDialog::getSaveFileName(
      this, QStringLiteral("Protokoll als PDF speichern"), suggestedFile("Protokoll", "pdf"),
      QStringLiteral("PDF (*.pdf)"));
  if (path.isEmpty()) return;
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
  protocol::WriteRecordProtocol(*database_, filter(), device_->choice(),
                                QCoreApplication::applicationVersion(), path);
}
