#include "image_opening.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <exception>
#include <filesystem>
#include <memory>
#include <span>
#include <thread>

#include "grey_mapping.h"

namespace measure {
namespace {

// The small window that says a file is being opened, with "Abbrechen" and, where the file gives
// one early, a first picture of the exposure; not modal, so that the main window's fields stay
// usable. Shown below the window it belongs to, so that it covers none of its fields.
class BusyWindow : public QDialog {
 public:
  BusyWindow(const QString& fileName, imaging::ReadCancellation& cancellation, QWidget* parent)
      : QDialog(parent), parent_(parent) {
    setObjectName(QStringLiteral("opening"));
    setWindowTitle(QStringLiteral("Bild öffnen"));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(QStringLiteral("„%1“ wird geöffnet …").arg(fileName), this);
    layout->addWidget(text);
    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("preview"));
    picture_->setAccessibleName(QStringLiteral("Vorschau des Bildes"));
    picture_->hide();
    layout->addWidget(picture_, 0, Qt::AlignHCenter);
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
  ~BusyWindow() override {
    if (shown_) QApplication::restoreOverrideCursor();
  }

  void appear() {
    adjustSize();
    if (parent_ != nullptr) move(parent_->frameGeometry().bottomLeft() + QPoint(0, 8));
    if (shown_) return;
    show();
    QApplication::setOverrideCursor(Qt::BusyCursor);
    shown_ = true;
  }

  // The exposure's first picture, in the grey window a first look at it gets.
  void showPreview(const imaging::DicomImage& preview) {
    const GreyTable table = MakeGreyTable(preview, AutomaticDisplayWindow(preview));
    QImage picture(preview.width(), preview.height(), QImage::Format_Grayscale8);
    const std::span<const std::uint16_t> values = preview.pixels().values;
    for (int y = 0; y < preview.height(); ++y) {
      uchar* line = picture.scanLine(y);
      for (int x = 0; x < preview.width(); ++x) {
        line[x] =
            table.greys[values[std::size_t(y) * std::size_t(preview.width()) + std::size_t(x)]];
      }
    }
    picture_->setPixmap(QPixmap::fromImage(
        picture.scaled(PreviewSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    picture_->show();
    appear();
  }

 private:
  static constexpr QSize PreviewSize{360, 360};
  QWidget* parent_;
  QLabel* picture_;
  bool shown_ = false;
};

}  // namespace

std::optional<OpenedImage> OpenImage(const QString& path, QWidget* parent,
                                     const ImageReader& read) {
  imaging::ReadCancellation cancellation;
  BusyWindow busy(QFileInfo(path).fileName(), cancellation, parent);
  std::optional<OpenedImage> opened;
  std::exception_ptr error;
  std::atomic<bool> done{false};
  QEventLoop loop;
  // A first picture, when one comes, shows at once in the busy window.
  const imaging::PreviewHandler showPreview = [&busy](imaging::DicomImage preview) {
    QMetaObject::invokeMethod(
        &busy,
        [&busy, shared = std::make_shared<imaging::DicomImage>(std::move(preview))] {
          busy.showPreview(*shared);
        },
        Qt::QueuedConnection);
  };
  std::thread reader([&] {
    try {
      imaging::DicomImage image =
          read(std::filesystem::path(path.toStdU16String()), &cancellation, showPreview);
      imaging::ExposureSurvey survey = imaging::SurveyExposure(image);
      opened.emplace(OpenedImage{std::move(image), std::move(survey)});
    } catch (...) {
      error = std::current_exception();
    }
    done = true;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });

  QTimer::singleShot(BusyIndicatorDelay, &busy, [&] {
    if (!done) busy.appear();
  });
  // Ends when the reader is done, or early when the program ends meanwhile: then the reading
  // is stopped.
  if (!done) loop.exec();
  if (!done) cancellation.cancel();
  reader.join();

  if (cancellation.cancelled()) return std::nullopt;
  if (error) std::rethrow_exception(error);
  return opened;
}

}  // namespace measure
