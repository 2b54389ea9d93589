#include "tform1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScopeGuard>
#include <array>
#include <exception>
#include <filesystem>
#include <optional>

#include "about/tmyabout.h"
#include "calc/errors.h"
#include "calc/number_text.h"
#include "calc/sdnr.h"
#include "imaging/dicom_image.h"
#include "measure/image_opening.h"
#include "measure/measure_window.h"
#include "record/exact_decimal.h"
#include "record/image_description.h"
#include "record/record_location.h"
#include "record_windows/entry_from_fields.h"
#include "record_windows/history_window.h"
#include "record_windows/reference_values_window.h"
#include "record_windows/save_measurement_window.h"
#include "tform2.h"
#include "toolkit/about_info.h"
#include "toolkit/classic_font.h"
#include "toolkit/colours.h"
#include "toolkit/event_dispatch.h"
#include "toolkit/image.h"
#include "toolkit/labeled_edit.h"
#include "toolkit/widget_colour.h"

namespace {

const QColor LightGreen(0xCC, 0xFF, 0xCC);
const QColor LightRed(0xFF, 0xCC, 0xCC);
constexpr QSize ClientSize(346, 203);
constexpr QPoint ScreenPosition(281, 281);
constexpr QSize FieldSize(121, 21);
const QString PictureTrigger = QStringLiteral("9157");

// The first local file a drag carries, or an empty text.
QString droppedFile(const QMimeData* data) {
  if (data == nullptr) return {};
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) return url.toLocalFile();
  }
  return {};
}

// The core reads 8-bit text.
std::string ansiText(const QLineEdit* field) {
  return field->text().toLatin1().toStdString();
}

}  // namespace

TForm1::TForm1(calc::Fpu& fpu, TForm2& help, QString recordOption)
    : fpu_(fpu), help_(help), recordOption_(std::move(recordOption)) {
  setWindowTitle(QStringLiteral("Quantelo"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);

  auto* client = new QWidget(this);
  toolkit::SetBackgroundColour(client, QPalette::Window, toolkit::Cream);
  client->setAutoFillBackground(true);
  client->setFont(toolkit::ClassicSansSerif(11));
  setCentralWidget(client);

  LabeledEdit1 = addLabeledEdit(QStringLiteral("Grauwert Aluminium"), 32, 32);
  LabeledEdit2 = addLabeledEdit(QStringLiteral("STD Aluminium"), 200, 32);
  LabeledEdit3 = addLabeledEdit(QStringLiteral("Grauwert Hintergrund"), 32, 88);
  LabeledEdit4 = addLabeledEdit(QStringLiteral("STD Hintergrund"), 200, 88);
  LabeledEdit5 = addLabeledEdit(QStringLiteral("Berechnetes SDNR"), 32, 152);
  LabeledEdit5->setReadOnly(true);
  LabeledEdit5->setColor(palette().color(QPalette::Base));
  for (toolkit::TLabeledEdit* field : {LabeledEdit1, LabeledEdit2, LabeledEdit3, LabeledEdit4}) {
    field->setColor(Qt::white);
    connect(field, &QLineEdit::textChanged, this,
            [this, field] { toolkit::Dispatch([this, field] { LabeledEdit1Change(field); }); });
  }

  // The picture keeps its proportions, as large as the box allows, in the top-left corner.
  Image1 = new QLabel(client);
  Image1->setGeometry(240, 120, 89, 73);
  Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Image1->setPixmap(toolkit::VectorPixmap(QStringLiteral(":/torso.svg"), Image1->size(),
                                          Image1->devicePixelRatio()));
  Image1->hide();

  buildMenu();
  // A result the record can keep as a number; "NaN" and an empty field are none.
  connect(LabeledEdit5, &QLineEdit::textChanged, this, [this](const QString& result) {
    saveMeasurementAction->setEnabled(
        record::ExactDecimal::Parse(result.toStdString()).has_value());
  });
  setAcceptDrops(true);
  for (QLineEdit* field : findChildren<QLineEdit*>()) field->installEventFilter(this);
  setFixedSize(ClientSize.width(), ClientSize.height() + MainMenu1->sizeHint().height());
  move(ScreenPosition);
}

toolkit::TLabeledEdit* TForm1::addLabeledEdit(const QString& caption, int left, int top) {
  auto* field = new toolkit::TLabeledEdit(caption, centralWidget());
  field->setGeometry(QRect(QPoint(left, top), FieldSize));
  return field;
}

void TForm1::buildMenu() {
  MainMenu1 = menuBar();
  Datei1 = MainMenu1->addMenu(QStringLiteral("&Datei"));
  openImageAction = Datei1->addAction(QStringLiteral("Bild ö&ffnen…"));
  openImageAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  saveMeasurementAction = Datei1->addAction(QStringLiteral("Messung &speichern…"));
  saveMeasurementAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  saveMeasurementAction->setEnabled(false);
  historyAction = Datei1->addAction(QStringLiteral("&Verlauf…"));
  referenceValuesAction = Datei1->addAction(QStringLiteral("&Bezugswerte…"));
  Beenden1 = Datei1->addAction(QStringLiteral("Be&enden"));
  Hilfe1 = MainMenu1->addMenu(QStringLiteral("&Hilfe"));
  Hilfe2 = Hilfe1->addAction(QStringLiteral("Hilfe"));
  Hilfe2->setShortcut(Qt::Key_F1);
  // F1 also from the help window; a modal window still blocks it.
  Hilfe2->setShortcutContext(Qt::ApplicationShortcut);
  ber1 = Hilfe1->addAction(QStringLiteral("Ü&ber"));

  connect(openImageAction, &QAction::triggered, this,
          [this] { toolkit::Dispatch([this] { openImageClick(); }); });
  connect(saveMeasurementAction, &QAction::triggered, this,
          [this] { toolkit::Dispatch([this] { saveMeasurementClick(); }); });
  connect(historyAction, &QAction::triggered, this,
          [this] { toolkit::Dispatch([this] { historyClick(); }); });
  connect(referenceValuesAction, &QAction::triggered, this,
          [this] { toolkit::Dispatch([this] { referenceValuesClick(); }); });
  connect(Beenden1, &QAction::triggered, this,
          [this] { toolkit::Dispatch([this] { Beenden1Click(); }); });
  connect(Hilfe2, &QAction::triggered, this,
          [this] { toolkit::Dispatch([this] { BitBtn1Click(); }); });
  connect(ber1, &QAction::triggered, this, [this] { toolkit::Dispatch([this] { ber1Click(); }); });
}

void TForm1::LabeledEdit1Change(toolkit::TLabeledEdit* Sender) {
  // A number too large for a single is no valid field, but the result and the picture still
  // follow the new text before the overflow is reported.
  std::exception_ptr overflow;
  bool isNumber = false;
  try {
    float value;
    isNumber = calc::CheckNumberSingle(fpu_, ansiText(Sender), value);
  } catch (const calc::EOverflow&) {
    fpu_.reset(calc::DefaultFpuControlWord);
    overflow = std::current_exception();
  }
  Sender->setColor(isNumber ? LightGreen : LightRed);
  // What the colour shows, for those who hear the field rather than see it.
  Sender->setAccessibleDescription(isNumber ? QStringLiteral("gültige Zahl")
                                            : QStringLiteral("keine gültige Zahl"));
  Button1Click();
  Image1->setVisible(Sender->text().contains(PictureTrigger));
  if (overflow) std::rethrow_exception(overflow);
}

void TForm1::Button1Click() {
  const std::string result =
      calc::SdnrResultText(fpu_, ansiText(LabeledEdit1), ansiText(LabeledEdit2),
                           ansiText(LabeledEdit3), ansiText(LabeledEdit4));
  LabeledEdit5->setText(QString::fromLatin1(result));
}

void TForm1::Beenden1Click() {
  QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                            Qt::QueuedConnection);
}

void TForm1::BitBtn1Click() {
  help_.show();
  help_.raise();
  help_.activateWindow();
}

void TForm1::ber1Click() {
  // The icon at the standard icon size; the about window paints it while it is being filled.
  const QPixmap icon = QApplication::windowIcon().pixmap(QSize(32, 32));
  toolkit::TAboutInfo info{};
  info.Title = QStringLiteral("Quantelo");
  info.Description = QStringLiteral("Berechnet das Signaldifferenz-Rausch-Verhältnis");
  info.Copyright = QStringLiteral("Copyright © 2024–2026 The Quantelo developers");
  info.Graphic = &icon;
  info.Url = QStringLiteral("https://www.example.com/software/toolcoll.shtm");
  about::ShowAbout(info);
}

void TForm1::openImageClick() {
  const QString path = QFileDialog::getOpenFileName(
      this, QStringLiteral("Bild öffnen"), QString(),
      QStringLiteral("DICOM-Bilder (*.dcm *.DCM *.dicom);;Alle Dateien (*)"));
  if (!path.isEmpty()) openImage(path);
}

void TForm1::openImage(const QString& path) {
  // One file at a time: the menu waits while one opens (the fields stay usable).
  if (!openImageAction->isEnabled()) return;
  std::optional<measure::OpenedImage> opened;
  std::string sha256;
  {
    openImageAction->setEnabled(false);
    const auto reenable = qScopeGuard([this] { openImageAction->setEnabled(true); });
    try {
      // The file's digest for the QA record, taken on the reading thread as the file is read.
      opened = measure::OpenImage(path, this,
                                  [&sha256, &path](const std::filesystem::path& file,
                                                   const imaging::ReadCancellation* cancellation,
                                                   const imaging::PreviewHandler& onPreview) {
                                    imaging::DicomImage image =
                                        imaging::ReadDicomImage(file, cancellation, onPreview);
                                    sha256 = record::FileSha256(path);
                                    return image;
                                  });
    } catch (const imaging::ImageError& error) {
      throw imaging::ImageError(
          "„" + QFileInfo(path).fileName().toStdString() + "“: " + error.what(), error.cause());
    }
  }
  if (!opened) return;
  MeasureWindow window(std::move(opened->image), path, this, std::move(opened->survey));
  if (window.exec() != QDialog::Accepted) return;
  taken_ = record::DescribeImage(std::move(sha256), window.image(), window.measurement(),
                                 window.placedAutomatically(), window.warnings());
  const std::array<QString, 4> texts = window.fieldTexts();
  const std::array<toolkit::TLabeledEdit*, 4> fields{LabeledEdit1, LabeledEdit2, LabeledEdit3,
                                                     LabeledEdit4};
  for (std::size_t i = 0; i < fields.size(); ++i) fields[i]->setText(texts[i]);
}

void TForm1::saveMeasurementClick() {
  SaveMeasurementWindow window(
      record_windows::EntryFromFields(
          taken_,
          {LabeledEdit1->text(), LabeledEdit2->text(), LabeledEdit3->text(), LabeledEdit4->text()},
          LabeledEdit5->text()),
      record::RecordLocation(recordOption_), this);
  window.exec();
}

void TForm1::historyClick() {
  HistoryWindow window(record::RecordLocation(recordOption_), this);
  window.exec();
}

void TForm1::referenceValuesClick() {
  ReferenceValuesWindow window(record::RecordLocation(recordOption_), this);
  window.exec();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (!droppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  const QString path = droppedFile(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  // The drag source waits for the drop to end; the measuring window opens after it.
  QMetaObject::invokeMethod(
      this, [this, path] { toolkit::Dispatch([this, path] { openImage(path); }); },
      Qt::QueuedConnection);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
      event->type() == QEvent::Drop) {
    auto* drop = static_cast<QDropEvent*>(event);
    if (!droppedFile(drop->mimeData()).isEmpty()) {
      if (event->type() == QEvent::Drop) {
        dropEvent(drop);
      } else {
        drop->acceptProposedAction();
      }
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent* event) {
  QMainWindow::closeEvent(event);
  QCoreApplication::quit();
}
