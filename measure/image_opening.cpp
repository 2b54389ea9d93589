#include "image_opening.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <exception>
#include <filesystem>
#include <thread>

namespace measure {
namespace {

// The small window that says a file is being opened, with "Abbrechen"; not modal, so that the
// main window's fields stay usable.
class BusyWindow : public QDialog {
 public:
  BusyWindow(const QString& fileName, imaging::ReadCancellation& cancellation, QWidget* parent)
      : QDialog(parent) {
    setObjectName(QStringLiteral("opening"));
    setWindowTitle(QStringLiteral("Bild öffnen"));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(QStringLiteral("„%1“ wird geöffnet …").arg(fileName), this);
    layout->addWidget(text);
    auto* bar = new QProgressBar(this);
    bar->setRange(0, 0);
    bar->setTextVisible(false);
    bar->setAccessibleName(QStringLiteral("Öffnen läuft"));
    layout->addWidget(bar);
    auto* cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    connect(cancel, &QPushButton::clicked, this, [&cancellation] { cancellation.cancel(); });
    // Esc and closing the window cancel too.
    connect(this, &QDialog::rejected, this, [&cancellation] { cancellation.cancel(); });
  }
};

}  // namespace

std::optional<OpenedImage> OpenImage(const QString& path, QWidget* parent,
                                     const ImageReader& read) {
  imaging::ReadCancellation cancellation;
  std::optional<OpenedImage> opened;
  std::exception_ptr error;
  std::atomic<bool> done{false};
  QEventLoop loop;
  std::thread reader([&] {
    try {
      imaging::DicomImage image = read(std::filesystem::path(path.toStdU16String()), &cancellation);
      imaging::ExposureSurvey survey = imaging::SurveyExposure(image);
      opened.emplace(OpenedImage{std::move(image), std::move(survey)});
    } catch (...) {
      error = std::current_exception();
    }
    done = true;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });

  BusyWindow busy(QFileInfo(path).fileName(), cancellation, parent);
  bool busyShown = false;
  QTimer::singleShot(BusyIndicatorDelay, &busy, [&] {
    if (done) return;
    // Below the window it belongs to, so that it covers none of its fields.
    if (parent != nullptr) {
      busy.adjustSize();
      busy.move(parent->frameGeometry().bottomLeft() + QPoint(0, 8));
    }
    busy.show();
    QApplication::setOverrideCursor(Qt::BusyCursor);
    busyShown = true;
  });
  // Ends when the reader is done, or early when the program ends meanwhile: then the reading
  // is stopped.
  if (!done) loop.exec();
  if (!done) cancellation.cancel();
  reader.join();
  if (busyShown) QApplication::restoreOverrideCursor();

  if (cancellation.cancelled()) return std::nullopt;
  if (error) std::rethrow_exception(error);
  return opened;
}

}  // namespace measure
