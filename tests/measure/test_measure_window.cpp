// The measuring window driven through mouse and keyboard on the offscreen platform.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "imaging/roi_statistics.h"
#include "measure/measure_window.h"
#include "test_image.h"
#include "tests/toolkit/qt_print.h"

namespace {

using imaging::Roi;

constexpr int ImageWidth = 480;
constexpr int ImageHeight = 360;
const Roi Object{60, 70, 220, 220};

// Noise about 1000, from a fixed linear congruential sequence; with an object, a brighter square.
TestImage Phantom(bool withObject) {
  TestImage image(ImageWidth, ImageHeight);
  std::uint32_t state = 12345;
  for (int y = 0; y < ImageHeight; ++y) {
    for (int x = 0; x < ImageWidth; ++x) {
      state = state * 1664525u + 1013904223u;
      const bool inObject = withObject && Object.contains(Roi{x, y, 1, 1});
      image.values.push_back(
          static_cast<std::uint16_t>(900 + (state >> 24) + (inObject ? 600 : 0)));
    }
  }
  image.facts = {{"manufacturer", "Hersteller", "Beispiel Medizintechnik"}, {"kvp", "kV", ""}};
  return image;
}

QPointF Centre(const Roi& roi) {
  return {roi.x + roi.width / 2.0, roi.y + roi.height / 2.0};
}

class MeasureWindowTest : public testing::Test {
 protected:
  explicit MeasureWindowTest(bool withObject = false)
      : image_(Phantom(withObject).make()), window_(image_, QStringLiteral("/daten/phantom.dcm")) {}

  void SetUp() override {
    // Wide enough that one screen pixel is less than an image pixel.
    window_.resize(1400, 900);
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window_.placementPending(); }));
    ASSERT_GT(view()->scale(), 1);
  }

  measure::ImageView* view() const { return window_.view(); }

  QPoint on(QPointF imagePoint) const { return view()->widgetPoint(imagePoint).toPoint(); }

  QPushButton* button(const QString& text) const {
    for (auto* candidate : window_.findChildren<QPushButton*>()) {
      if (candidate->text().remove('&') == text) return candidate;
    }
    return nullptr;
  }

  // The window's texts, its figures and the core's measurement of the current ROIs all agree.
  void expectFiguresOfCurrentRois() const {
    const auto al = imaging::MeasureRoi(image_.pixels(), image_.rescale(), window_.rois()[0]);
    const auto bg = imaging::MeasureRoi(image_.pixels(), image_.rescale(), window_.rois()[1]);
    const std::array<QString, 4> expected = {
        QString::fromStdString(al.mean), QString::fromStdString(al.standardDeviation),
        QString::fromStdString(bg.mean), QString::fromStdString(bg.standardDeviation)};
    EXPECT_EQ(window_.fieldTexts(), expected);
    const std::string sdnr = imaging::Measure(image_, window_.rois()[0], window_.rois()[1]).sdnr;
    QStringList shown;
    for (const auto* label : window_.findChildren<QLabel*>()) shown << label->text();
    for (const QString& text :
         {expected[0], expected[1], expected[2], expected[3], QString::fromStdString(sdnr)}) {
      EXPECT_FALSE(text.isEmpty());
      EXPECT_TRUE(shown.contains(text)) << text.toStdString();
    }
  }

  imaging::DicomImage image_;
  MeasureWindow window_;
};

TEST_F(MeasureWindowTest, DraggingMovesTheRoiInsideTheImageAndTheFiguresFollow) {
  const Roi al = window_.rois()[0];
  const Roi start = window_.rois()[1];
  const QPointF grab = Centre(start);
  QTest::mousePress(view(), Qt::LeftButton, {}, on(grab));
  const QPointF moves[] = {{-7, 3}, {-40, 25}, {15, -1000}, {1000, 1000}};
  for (const QPointF& move : moves) {
    SCOPED_TRACE(testing::Message() << move.x() << ", " << move.y());
    QTest::mouseMove(view(), on(grab + move));
    const Roi now = window_.rois()[1];
    EXPECT_NEAR(now.x, std::clamp(start.x + move.x(), 0.0, ImageWidth - start.width + 0.0), 1);
    EXPECT_NEAR(now.y, std::clamp(start.y + move.y(), 0.0, ImageHeight - start.height + 0.0), 1);
    EXPECT_TRUE(now.fitsIn(ImageWidth, ImageHeight));
    expectFiguresOfCurrentRois();
  }
  QTest::mouseRelease(view(), Qt::LeftButton, {}, on(grab + moves[3]));
  EXPECT_EQ(window_.rois()[0], al);
}

// The ROI clicked last moves; the other stays.
TEST_F(MeasureWindowTest, ArrowKeysMoveTheSelectedRoiAndStopAtTheBorder) {
  const Roi al = window_.rois()[0];
  QTest::mouseClick(view(), Qt::LeftButton, {}, on(Centre(window_.rois()[1])));
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int presses, dx, dy;
  };
  const Case cases[] = {
      {Qt::Key_Right, {}, 1, 1, 0},
      {Qt::Key_Down, {}, 2, 0, 2},
      {Qt::Key_Left, Qt::ShiftModifier, 1, -10, 0},
      {Qt::Key_Up, Qt::ShiftModifier, 3, 0, -30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QKeySequence(c.key | c.modifiers).toString().toStdString());
    const Roi before = window_.rois()[1];
    for (int i = 0; i < c.presses; ++i) QTest::keyClick(view(), c.key, c.modifiers);
    EXPECT_EQ(window_.rois()[1].x, before.x + c.dx);
    EXPECT_EQ(window_.rois()[1].y, before.y + c.dy);
  }
  // Far past each border in turn, round the image's corners.
  const int side = window_.rois()[1].width;
  const int y = window_.rois()[1].y;
  const std::pair<Qt::Key, QPoint> borders[] = {
      {Qt::Key_Left, {0, y}},
      {Qt::Key_Up, {0, 0}},
      {Qt::Key_Right, {ImageWidth - side, 0}},
      {Qt::Key_Down, {ImageWidth - side, ImageHeight - side}}};
  for (const auto& [key, corner] : borders) {
    for (int i = 0; i < 50; ++i) QTest::keyClick(view(), key, Qt::ShiftModifier);
    QTest::keyClick(view(), key);
    EXPECT_EQ(window_.rois()[1], (Roi{corner.x(), corner.y(), side, side}));
  }
  EXPECT_EQ(window_.rois()[0], al);
  expectFiguresOfCurrentRois();
}

// Enter applies the size and leaves the window open.
// By keys alone: Tab in the image selects BG after Al, the arrows move it (Shift 10 px), Ctrl and
// an arrow pan without moving a ROI, Shift+Tab selects Al again; then Tab goes round the window,
// and every stop has a name for screen readers.
TEST_F(MeasureWindowTest, KeysAloneReachBothRoisAndEveryTabStopHasAName) {
  view()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(view(), Qt::Key_Tab);
  ASSERT_EQ(view()->selectedRoi(), 1);
  ASSERT_TRUE(view()->hasFocus());
  const measure::RoiPair before = window_.rois();
  QTest::keyClick(view(), Qt::Key_Right);
  QTest::keyClick(view(), Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(window_.rois()[1],
            (Roi{before[1].x + 1, before[1].y + 10, before[1].width, before[1].height}));
  EXPECT_EQ(window_.rois()[0], before[0]);
  const measure::RoiPair moved = window_.rois();
  const QPointF corner = view()->imagePoint({0, 0});
  QTest::keyClick(view(), Qt::Key_Right, Qt::ControlModifier);
  EXPECT_GT(view()->imagePoint({0, 0}).x(), corner.x());
  EXPECT_EQ(window_.rois(), moved);
  QTest::keyClick(view(), Qt::Key_Backtab);
  EXPECT_EQ(view()->selectedRoi(), 0);
  EXPECT_TRUE(view()->hasFocus());

  QTest::keyClick(view(), Qt::Key_Tab);
  QStringList stops;
  for (int i = 0; i < 40 && (stops.isEmpty() || QApplication::focusWidget() != view()); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* stop = QApplication::focusWidget();
    const QString name = QAccessible::queryAccessibleInterface(stop)->text(QAccessible::Name);
    stops << QString::fromLatin1(stop->metaObject()->className()) + ": " + name;
    EXPECT_FALSE(name.isEmpty()) << stops.join(", ").toStdString();
  }
  EXPECT_EQ(QApplication::focusWidget(), view()) << stops.join(", ").toStdString();
}

TEST_F(MeasureWindowTest, SizeFieldSetsBothSquaresAboutTheirCentres) {
  auto* size = window_.findChild<QSpinBox*>();
  ASSERT_NE(size, nullptr);
  for (const int side : {50, 51, ImageHeight, imaging::SmallestRoiSide, 200}) {
    SCOPED_TRACE(side);
    const auto before = window_.rois();
    size->selectAll();
    QTest::keyClicks(size, QString::number(side));
    QTest::keyClick(size, Qt::Key_Return);
    ASSERT_TRUE(window_.isVisible());
    for (int i = 0; i < 2; ++i) {
      const Roi roi = window_.rois()[i];
      EXPECT_EQ(roi.width, side);
      EXPECT_EQ(roi.height, side);
      EXPECT_TRUE(roi.fitsIn(ImageWidth, ImageHeight));
      // Where the image leaves room, the centre stays within half a pixel.
      if (Roi{roi.x - 1, roi.y - 1, side + 2, side + 2}.fitsIn(ImageWidth, ImageHeight)) {
        EXPECT_NEAR(Centre(roi).x(), Centre(before[i]).x(), 0.5);
        EXPECT_NEAR(Centre(roi).y(), Centre(before[i]).y(), 0.5);
      }
    }
  }
  expectFiguresOfCurrentRois();
}

// By the button, and by Enter.
TEST_F(MeasureWindowTest, AcceptHandsOverTheTextsOfTheFinalRois) {
  for (const bool byKey : {false, true}) {
    SCOPED_TRACE(byKey ? "Enter" : "button");
    window_.setResult(QDialog::Rejected);
    window_.show();
    QTest::keyClick(view(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(view(), Qt::Key_Down);
    expectFiguresOfCurrentRois();
    if (byKey) {
      QTest::keyClick(view(), Qt::Key_Return);
    } else {
      QTest::mouseClick(button(QStringLiteral("Übernehmen")), Qt::LeftButton);
    }
    EXPECT_EQ(window_.result(), QDialog::Accepted);
    EXPECT_FALSE(window_.isVisible());
  }
}

TEST_F(MeasureWindowTest, EscapeCancels) {
  QTest::keyClick(view(), Qt::Key_Escape);
  EXPECT_EQ(window_.result(), QDialog::Rejected);
  EXPECT_FALSE(window_.isVisible());
}

TEST_F(MeasureWindowTest, DraggingTheBackgroundPansAndTheWheelZoomsAboutTheCursor) {
  const auto rois = window_.rois();
  // The view's corner shows the backdrop around the fitted image, never a ROI.
  const QPoint grab(3, 3), drop(40, 30);
  const QPointF grabbed = view()->imagePoint(grab);
  QTest::mousePress(view(), Qt::LeftButton, {}, grab);
  QTest::mouseMove(view(), drop);
  QTest::mouseRelease(view(), Qt::LeftButton, {}, drop);
  EXPECT_NEAR(view()->imagePoint(drop).x(), grabbed.x(), 1e-9);
  EXPECT_NEAR(view()->imagePoint(drop).y(), grabbed.y(), 1e-9);
  EXPECT_EQ(window_.rois(), rois);

  const QPointF at(view()->width() * 0.3, view()->height() * 0.6);
  const QPointF underCursor = view()->imagePoint(at);
  const double scale = view()->scale();
  QWheelEvent twoNotches(at, view()->mapToGlobal(at), {}, {0, 240}, Qt::NoButton, {},
                         Qt::NoScrollPhase, false);
  QApplication::sendEvent(view(), &twoNotches);
  EXPECT_NEAR(view()->scale(), scale * 1.25 * 1.25, 1e-9);
  EXPECT_NEAR(view()->imagePoint(at).x(), underCursor.x(), 1e-9);
  EXPECT_NEAR(view()->imagePoint(at).y(), underCursor.y(), 1e-9);
}

class PlacementTest : public MeasureWindowTest, public testing::WithParamInterface<bool> {
 protected:
  PlacementTest() : MeasureWindowTest(GetParam()) {}
};

// On opening, "Al" lands inside the object and "BG" beside it; without an object the window says
// so.
TEST_P(PlacementTest, PlacesOnOpeningAndSaysWhenNoObjectIsFound) {
  const bool withObject = GetParam();
  const auto rois = window_.rois();
  if (withObject) {
    EXPECT_TRUE(Object.contains(rois[0]));
    EXPECT_FALSE(Object.overlaps(rois[1]));
  }
  const QString note = QStringLiteral("Kein Aluminiumobjekt gefunden: ROIs bitte von Hand setzen.");
  const auto* strip = window_.findChild<QLabel*>(QStringLiteral("warnings"));
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(strip->isVisible() && strip->text().contains(note), !withObject);
  expectFiguresOfCurrentRois();
}

class ObjectWindowTest : public MeasureWindowTest {
 protected:
  ObjectWindowTest() : MeasureWindowTest(true) {}
};

// "BG" dragged onto "Al": the strip says so, also to screen readers, and "Übernehmen" still takes
// the values over.
TEST_F(ObjectWindowTest, WarningsFollowTheRoisAndLeaveTheChoiceToThePhysicist) {
  const auto placed = window_.rois();
  const auto* strip = window_.findChild<QLabel*>(QStringLiteral("warnings"));
  ASSERT_NE(strip, nullptr);
  const QString overlap = QStringLiteral("Die ROIs „Al“ und „BG“ überlappen sich.");
  EXPECT_FALSE(strip->text().contains(overlap));
  const QPointF from = Centre(placed[1]);
  const QPointF to = Centre(placed[0]) + QPointF(7, 5);
  QTest::mousePress(view(), Qt::LeftButton, {}, on(from));
  QTest::mouseMove(view(), on(to));
  QTest::mouseRelease(view(), Qt::LeftButton, {}, on(to));
  ASSERT_TRUE(window_.rois()[1].overlaps(window_.rois()[0]));
  EXPECT_TRUE(strip->isVisible());
  EXPECT_TRUE(strip->text().contains(overlap)) << strip->text().toStdString();
  EXPECT_EQ(strip->accessibleDescription(), strip->text());
  const auto texts = window_.fieldTexts();
  QTest::mouseClick(button(QStringLiteral("Übernehmen")), Qt::LeftButton);
  EXPECT_EQ(window_.result(), QDialog::Accepted);
  EXPECT_EQ(window_.fieldTexts(), texts);
}

INSTANTIATE_TEST_SUITE_P(Phantom, PlacementTest, testing::Bool(),
                         [](const auto& info) { return info.param ? "WithObject" : "Flat"; });

// 2400 × 1800 at fit zoom, four or more image pixels to a screen pixel: dead columns of 0 and
// outlier pixels in the aluminium leave the image mid-grey, and the columns show black, where
// their footprints' means would not; a right-drag sets the window without moving a ROI or the
// image, and the reset button goes back to the window chosen, automatic or the file's.
TEST(MeasureWindowDisplay, ShowsFaultsAtFitZoomAndDragsTheWindow) {
  constexpr int Width = 2400;
  constexpr int Height = 1800;
  const Roi object{800, 600, 600, 600};
  const int deadColumns[] = {401, 1002, 1603, 2204};
  TestImage input(Width, Height);
  std::uint32_t state = 2024;
  for (int y = 0; y < Height; ++y) {
    for (int x = 0; x < Width; ++x) {
      state = state * 1664525u + 1013904223u;
      const bool inObject = object.contains(Roi{x, y, 1, 1});
      input.values.push_back(
          static_cast<std::uint16_t>(1000 + (state >> 24) + (inObject ? 600 : 0)));
    }
  }
  for (const int x : deadColumns)
    for (int y = 0; y < Height; ++y) input.values[static_cast<std::size_t>(y) * Width + x] = 0;
  input.values[static_cast<std::size_t>(900) * Width + 1100] = 0;
  input.values[static_cast<std::size_t>(901) * Width + 1100] = 65535;
  const imaging::DisplayWindow fileWindow{1500, 800};
  input.window = fileWindow;
  MeasureWindow window(input.make(), QStringLiteral("faults.dcm"));
  window.resize(800, 600);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.placementPending(); }));
  measure::ImageView* view = window.view();
  ASSERT_LT(view->scale(), 0.25);

  const QImage shown = view->grab().toImage();
  const auto grey = [&](QPointF imagePoint) {
    return qGray(shown.pixel(view->widgetPoint(imagePoint).toPoint()));
  };
  const int background = grey({200, 1500});
  const int aluminium = grey({850, 650});
  EXPECT_GT(background, 40);
  EXPECT_LT(aluminium, 215);
  EXPECT_GT(aluminium, background + 40);
  for (const int x : deadColumns) {
    for (const int y : {100, 1700}) EXPECT_EQ(grey({x + 0.5, y + 0.5}), 0) << x << ", " << y;
  }

  auto* source = window.findChild<QComboBox*>();
  ASSERT_NE(source, nullptr);
  QPushButton* reset = nullptr;
  for (auto* candidate : window.findChildren<QPushButton*>()) {
    if (candidate->text() == QStringLiteral("Fenster &zurücksetzen")) reset = candidate;
  }
  ASSERT_NE(reset, nullptr);
  EXPECT_EQ(source->currentText(), QStringLiteral("Automatisch (belichtetes Feld)"));

  for (const bool fromFile : {false, true}) {
    SCOPED_TRACE(fromFile ? "file's window" : "automatic window");
    if (fromFile) {
      // The next entry by keyboard, as a user without a mouse chooses it.
      QTest::keyClick(source, Qt::Key_Down);
      EXPECT_EQ(view->displayWindow().center, fileWindow.center);
      EXPECT_EQ(view->displayWindow().width, fileWindow.width);
    }
    const imaging::DisplayWindow chosen = view->displayWindow();
    const QString chosenText = source->currentText();
    const auto rois = window.rois();
    const QPointF corner = view->imagePoint({0, 0});
    // On the aluminium ROI, which a left drag would move.
    const QPoint grab = view->widgetPoint(Centre(rois[0])).toPoint();
    QTest::mousePress(view, Qt::RightButton, {}, grab);
    QTest::mouseMove(view, grab + QPoint(60, 40));
    QTest::mouseRelease(view, Qt::RightButton, {}, grab + QPoint(60, 40));
    EXPECT_NEAR(view->displayWindow().center, chosen.center + 40 * 0.005 * chosen.width, 1e-9);
    EXPECT_NEAR(view->displayWindow().width, chosen.width * std::exp(60 * 0.005), 1e-9);
    EXPECT_EQ(source->currentText(), QStringLiteral("Manuell"));
    EXPECT_EQ(window.rois(), rois);
    EXPECT_EQ(view->imagePoint({0, 0}), corner);

    QTest::mouseClick(reset, Qt::LeftButton);
    EXPECT_EQ(view->displayWindow().center, chosen.center);
    EXPECT_EQ(view->displayWindow().width, chosen.width);
    EXPECT_EQ(source->currentText(), chosenText);
  }
}

}  // namespace
