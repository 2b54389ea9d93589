// "Über": the about window describing Quantelo, shown modally from the menu.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include "about/tmyabout.h"
#include "toolkit/image.h"
#include "window_test.h"

namespace {

using AboutCommandTest = WindowTest;

int LiveAboutWindows() {
  int live = 0;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    live += dynamic_cast<about::TTMyAbout*>(window) != nullptr;
  }
  return live;
}

struct Shown {
  QString caption;
  QString description;
  QString build;
  bool warningShown = false;
  bool scrolling = true;
  bool partnerShown = true;
  QString url;
  bool iconDrawn = false;
  bool mainBlocked = false;
};

TEST_F(AboutCommandTest, ShowsTheWindowDescribingQuantelo) {
  Shown shown;
  watchdog_.expectModal([&](QWidget& modal) {
    auto* window = dynamic_cast<about::TTMyAbout*>(&modal);
    ASSERT_NE(window, nullptr) << "The modal window is no about window";
    shown = {window->windowTitle(),
             window->Label1->text(),
             window->Label2->text(),
             window->Memo1->isVisible(),
             window->Timer1->isActive(),
             window->Label5->isVisible(),
             window->Url,
             false,
             !main_.isEnabled() || QApplication::activeModalWidget() == window};
    // The application's icon at its standard size, right-aligned 20 px from the edge.
    const QImage icon = QApplication::windowIcon().pixmap(QSize(32, 32)).toImage();
    const QImage& surface = window->Image1->Canvas();
    const QImage drawn = surface.copy(434 - 20 - 32, 60, 32, 32);
    shown.iconDrawn = drawn.pixelColor(16, 16) == icon.pixelColor(16, 16) &&
                      drawn != surface.copy(434 - 20 - 32, 100, 32, 32);
  });
  main_.ber1->trigger();
  EXPECT_EQ(shown.caption, " Quantelo ");
  EXPECT_EQ(shown.description, "Berechnet das Signaldifferenz-Rausch-Verhältnis");
  EXPECT_EQ(shown.build, "Build: 1.0.0.0");
  EXPECT_TRUE(shown.warningShown);
  EXPECT_FALSE(shown.scrolling);
  EXPECT_FALSE(shown.partnerShown);
  EXPECT_EQ(shown.url, "https://www.example.com/software/toolcoll.shtm");
  EXPECT_TRUE(shown.iconDrawn);
  EXPECT_TRUE(shown.mainBlocked);
  // Closed at once; gone by itself about a second later.
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(LiveAboutWindows(), 1);
  QElapsedTimer clock;
  clock.start();
  while (LiveAboutWindows() > 0 && clock.elapsed() < 5000) QTest::qWait(20);
  EXPECT_EQ(LiveAboutWindows(), 0);
}

TEST_F(AboutCommandTest, IsTheMenuItemUeberUnderHilfe) {
  EXPECT_EQ(main_.ber1->text(), "Ü&ber");
  EXPECT_TRUE(main_.Hilfe1->actions().contains(main_.ber1));
}

}  // namespace
