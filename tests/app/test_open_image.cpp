// "Bild öffnen…": the measuring window over a DICOM file, and its values in the fields.
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <random>

#include "calc/sdnr.h"
#include "measure/measure_window.h"
#include "tests/imaging/dicom_test_writer.h"
#include "toolkit/event_dispatch.h"
#include "toolkit/labeled_edit.h"
#include "window_test.h"

namespace {

namespace fs = std::filesystem;

class OpenImageTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    dicom_test::TestImage image;
    image.width = 320;
    image.height = 260;
    std::mt19937 rng(5);
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const bool inObject = x >= 100 && x < 220 && y >= 70 && y < 190;
        image.stored.push_back((inObject ? 1300 : 1000) + static_cast<int>(rng() % 61) - 30);
      }
    }
    dicom_test::WriteDicomFile(image, file_);
  }
  void TearDown() override {
    fs::remove(file_);
    WindowTest::TearDown();
  }

  const fs::path file_ =
      fs::temp_directory_path() / ("quantelo-open-" + std::to_string(getpid()) + ".dcm");
};

TEST_F(OpenImageTest, TheMenuOffersItFirstWithCtrlOThenTheRecordsItemsAboveBeenden) {
  const struct {
    QAction* action;
    QString text;
    QKeySequence shortcut;
  } expected[] = {
      {main_.openImageAction, QStringLiteral("Bild ö&ffnen…"), QKeySequence("Ctrl+O")},
      {main_.saveMeasurementAction, QStringLiteral("Messung &speichern…"), QKeySequence("Ctrl+S")},
      {main_.historyAction, QStringLiteral("&Verlauf…"), {}},
      {main_.referenceValuesAction, QStringLiteral("&Bezugswerte…"), {}},
      {main_.Beenden1, QStringLiteral("Be&enden"), {}},
  };
  const QList<QAction*> actions = main_.Datei1->actions();
  ASSERT_EQ(actions.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(actions[i], expected[i].action) << i;
    EXPECT_EQ(actions[i]->text(), expected[i].text);
    EXPECT_EQ(actions[i]->shortcut(), expected[i].shortcut);
  }
}

// The values taken over are the measurement's texts, and the main window treats them as typed:
// every field green, the result the calculation's for exactly those texts.
TEST_F(OpenImageTest, UbernehmenFillsTheFieldsAsIfTyped) {
  std::array<QString, 4> taken;
  watchdog_.expectModal([&](QWidget& modal) {
    auto* window = dynamic_cast<MeasureWindow*>(&modal);
    ASSERT_NE(window, nullptr) << "The modal window is no measuring window";
    ASSERT_TRUE(QTest::qWaitFor([window] { return !window->placementPending(); }));
    EXPECT_TRUE(window->placedAutomatically());
    QTest::keyClick(window->view(), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_FALSE(window->placedAutomatically());  // moved by hand
    taken = window->fieldTexts();
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
      if (button->text() == QStringLiteral("Ü&bernehmen"))
        QTest::mouseClick(button, Qt::LeftButton);
    }
  });
  main_.openImage(QString::fromStdString(file_.string()));
  ASSERT_EQ(watchdog_.pending(), 0u);

  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_FALSE(taken[i].isEmpty());
    EXPECT_EQ(inputs()[i]->text(), taken[i]);
    EXPECT_EQ(inputs()[i]->color(), LightGreen);
  }
  calc::Fpu fpu;
  EXPECT_EQ(result().toStdString(),
            calc::SdnrResultText(fpu, taken[0].toStdString(), taken[1].toStdString(),
                                 taken[2].toStdString(), taken[3].toStdString()));
  EXPECT_NE(result(), QStringLiteral("NaN"));
}

TEST_F(OpenImageTest, EscapeLeavesTheFieldsAlone) {
  retype(inputs()[0], QStringLiteral("12"));
  watchdog_.expectModal([](QWidget& modal) { QTest::keyClick(&modal, Qt::Key_Escape); });
  main_.openImage(QString::fromStdString(file_.string()));
  EXPECT_EQ(inputs()[0]->text(), QStringLiteral("12"));
  EXPECT_TRUE(inputs()[1]->text().isEmpty());
}

// Over a field the window takes the file, so that no path lands in the field.
TEST_F(OpenImageTest, AFileDroppedOnAFieldOpensTheMeasuringWindow) {
  bool opened = false;
  watchdog_.expectModal(
      [&](QWidget& modal) { opened = dynamic_cast<MeasureWindow*>(&modal) != nullptr; });
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file_.string()))});
  QDragEnterEvent enter(QPoint(20, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(inputs()[0], &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(20, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(inputs()[0], &drop);
  EXPECT_TRUE(QTest::qWaitFor([&] { return opened; }));
  EXPECT_TRUE(inputs()[0]->text().isEmpty());
}

TEST_F(OpenImageTest, AFileThatIsNoImageIsReportedByName) {
  std::ofstream(file_) << "Grauwert 1000\n";
  ErrorBox box;
  expectErrorBox(box);
  toolkit::Dispatch([this] { main_.openImage(QString::fromStdString(file_.string())); });
  ASSERT_TRUE(box.shown);
  EXPECT_EQ(box.text, "„" + QString::fromStdString(file_.filename().string()) +
                          "“: Die Datei ist keine DICOM-Datei.");
}

}  // namespace
