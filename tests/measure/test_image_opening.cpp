// Opening keeps the window's thread free: the program's events go on while the file is read,
// a busy window with "Abbrechen" shows only after a moment, and cancelling ends the opening with
// nothing; the reader's refusal arrives as it was raised.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <thread>

#include "measure/image_opening.h"
#include "test_image.h"

namespace {

using namespace std::chrono_literals;

QDialog* busyWindow(QWidget& parent) {
  return parent.findChild<QDialog*>(QStringLiteral("opening"));
}

// Without a first picture the busy window waits a moment; with one it shows at once, picture and
// all. Either way the program goes on, and Abbrechen stops the reading.
TEST(ImageOpening, TheProgramGoesOnAndAbbrechenStopsTheReading) {
  for (const bool withPreview : {false, true}) {
    SCOPED_TRACE(withPreview ? "with a first picture" : "without");
    QWidget parent;
    QLineEdit field(&parent);
    parent.show();
    bool busyEarly = false, previewEarly = false, cancelled = false;
    const measure::ImageReader waitForCancel = [&](const std::filesystem::path&,
                                                   const imaging::ReadCancellation* cancellation,
                                                   const imaging::PreviewHandler& onPreview) {
      if (withPreview) onPreview(TestImage(4, 2, {10, 20, 30, 40, 50, 60, 70, 80}).make());
      while (!cancellation->cancelled()) std::this_thread::sleep_for(5ms);
      cancelled = true;
      throw imaging::ReadCancelled();
      return TestImage(1, 1, {0}).make();
    };
    QTimer::singleShot(measure::BusyIndicatorDelay / 2, [&] {
      QDialog* busy = busyWindow(parent);
      busyEarly = busy != nullptr && busy->isVisible();
      const auto* preview =
          busy != nullptr ? busy->findChild<QLabel*>(QStringLiteral("preview")) : nullptr;
      previewEarly = preview != nullptr && preview->isVisible() && !preview->pixmap().isNull();
      QTest::keyClicks(&field, QStringLiteral("12"));
    });
    QTimer::singleShot(measure::BusyIndicatorDelay * 2, [&] {
      QDialog* busy = busyWindow(parent);
      ASSERT_TRUE(busy != nullptr && busy->isVisible());
      for (QPushButton* button : busy->findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("Abbrechen"))
          QTest::mouseClick(button, Qt::LeftButton);
      }
    });
    EXPECT_FALSE(measure::OpenImage(QStringLiteral("aufnahme.dcm"), &parent, waitForCancel));
    EXPECT_EQ(busyEarly, withPreview);
    EXPECT_EQ(previewEarly, withPreview);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(field.text(), QStringLiteral("12"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
}

TEST(ImageOpening, AQuickReadingShowsNoBusyWindowAndARefusalArrivesAsRaised) {
  QWidget parent;
  const auto opened =
      measure::OpenImage(QStringLiteral("a.dcm"), &parent,
                         [](const std::filesystem::path&, const imaging::ReadCancellation*,
                            const imaging::PreviewHandler&) {
                           return TestImage(3, 2, {1, 2, 3, 4, 5, 6}).make();
                         });
  ASSERT_TRUE(opened);
  EXPECT_EQ(opened->image.width(), 3);
  EXPECT_EQ(opened->survey.pixels.width, 3);
  EXPECT_EQ(busyWindow(parent), nullptr);
  EXPECT_THROW(measure::OpenImage(QStringLiteral("b.dcm"), &parent,
                                  [](const std::filesystem::path&, const imaging::ReadCancellation*,
                                     const imaging::PreviewHandler&) -> imaging::DicomImage {
                                    throw imaging::ImageError("Die Datei gibt es nicht.");
                                  }),
               imaging::ImageError);
}

}  // namespace
