// Closing: what ShowAbout returns for every way out, the order of the closing steps, the fade
// countdown to release, and windows that live side by side.
#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "about/about_surface.h"
#include "about_test.h"
#include "toolkit/image.h"

namespace about {
namespace {

using ClosingTest = AboutTest;

TEST_F(ClosingTest, EveryCloseByTheUserReturnsTrue) {
  struct Case {
    const char* how;
    std::function<void(TTMyAbout&)> close;
  };
  const Case cases[] = {
      {"Esc", [](TTMyAbout& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
      {"close glyph",
       [](TTMyAbout& w) {
         QTest::mouseClick(w.Image3, Qt::LeftButton, {}, {12, 12});
       }},
      {"press beside the title",
       [](TTMyAbout& w) {
         QTest::mousePress(w.Image1, Qt::RightButton, {}, {20, 300});
       }},
      {"close request from the system", [](TTMyAbout& w) { w.close(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    QPointer<TTMyAbout> closed;
    bool modalWhileOpen = false;
    EXPECT_TRUE(ShowAboutAnd(SampleInfo(), [&](TTMyAbout& window) {
      closed = &window;
      modalWhileOpen = QApplication::activeModalWidget() == &window;
      c.close(window);
    }));
    EXPECT_TRUE(modalWhileOpen);
    ASSERT_TRUE(closed);
    // Gone from the screen at once, the pointer back to normal, the countdown running.
    EXPECT_TRUE(closed->isHidden());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(closed->ModalResult(), ModalResultOk);
    EXPECT_TRUE(closed->Timer3->isActive());
    EXPECT_TRUE(closed->AlphaBlend);
    Release(closed);
    EXPECT_FALSE(closed);
  }
}

TEST_F(ClosingTest, ApplicationEndingWhileOpenReturnsFalse) {
  bool result = true;
  QPointer<TTMyAbout> open;
  QTimer::singleShot(0, [&] {
    QTimer::singleShot(50, [&] {
      open = ShownWindow();
      QCoreApplication::quit();
    });
    result = ShowAbout(SampleInfo());
  });
  QCoreApplication::exec();
  EXPECT_FALSE(result);
  ASSERT_TRUE(open);
  // The loop ended without the close handling; its end still restores the pointer.
  EXPECT_TRUE(open->isHidden());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  Release(open);
}

TEST_F(ClosingTest, FormHideRunsItsStepsInOrderAndUnbindsTheHideEvent) {
  TTMyAbout* window = Open(SampleInfo(), true);
  window->FormHide();
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
  EXPECT_TRUE(window->AlphaBlend);
  EXPECT_EQ(window->AlphaBlendValue, 255);
  EXPECT_EQ(window->palette().color(QPalette::Window), QColor(0xFF, 0xFB, 0xF0));
  EXPECT_EQ(window->ModalResult(), ModalResultOk);
  EXPECT_TRUE(window->Timer3->isActive());
  // Hiding now runs nothing: the countdown is not restarted and the pointer stays.
  window->setModalResult(0);
  window->hide();
  EXPECT_EQ(window->ModalResult(), 0);
  // FormClose brings the pointer back; FormShow stops the countdown.
  window->FormClose();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(window->ModalResult(), ModalResultOk);
  window->show();
  EXPECT_FALSE(window->Timer3->isActive());
}

TEST_F(ClosingTest, HidingABoundWindowStartsClosing) {
  TTMyAbout* window = Open(SampleInfo(), true);
  window->hide();
  EXPECT_EQ(window->ModalResult(), ModalResultOk);
  EXPECT_TRUE(window->Timer3->isActive());
}

TEST_F(ClosingTest, ReleasedOnTheFiftyFirstFadeTick) {
  QPointer<TTMyAbout> window = Open(SampleInfo(), true);
  window->FormHide();
  for (int tick = 1; tick <= 50; ++tick) {
    window->Timer3Timer();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(window) << "released after " << tick << " ticks";
    EXPECT_EQ(window->AlphaBlendValue, 255 - 5 * tick);
    EXPECT_NEAR(window->windowOpacity(), (255 - 5 * tick) / 255.0, 0.01);
  }
  window->Timer3Timer();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(window);
}

TEST_F(ClosingTest, ReleasesItselfAboutASecondAfterClosing) {
  QPointer<TTMyAbout> closed;
  EXPECT_TRUE(ShowAboutAnd(SampleInfo(), [&](TTMyAbout& window) {
    closed = &window;
    QTest::keyClick(&window, Qt::Key_Escape);
  }));
  QElapsedTimer clock;
  clock.start();
  while (closed && clock.elapsed() < 5000) QTest::qWait(5);
  EXPECT_FALSE(closed);
  // 51 ticks of 20 ms; Qt's coarse timers may run up to 5 % early.
  EXPECT_GE(clock.elapsed(), 51 * 19);
}

TEST_F(ClosingTest, EachCallShowsANewWindowBesideOneStillFading) {
  QPointer<TTMyAbout> first;
  EXPECT_TRUE(ShowAboutAnd(SampleInfo(), [&](TTMyAbout& window) {
    first = &window;
    QTest::keyClick(&window, Qt::Key_Escape);
  }));
  ASSERT_TRUE(first);
  int live = 0;
  bool other = false;
  EXPECT_TRUE(ShowAboutAnd(SampleInfo(), [&](TTMyAbout& window) {
    live = LiveWindows();
    other = &window != first.data() && first->isHidden() && first->Timer3->isActive();
    QTest::keyClick(&window, Qt::Key_Escape);
  }));
  EXPECT_EQ(live, 2);
  EXPECT_TRUE(other);
}

TEST_F(ClosingTest, ShownFramelessOnTopInTheMiddleOfTheScreen) {
  bool checked = false;
  EXPECT_TRUE(ShowAboutAnd(SampleInfo(), [&](TTMyAbout& window) {
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window.size(), SurfaceSize);
    EXPECT_EQ(window.geometry().center(), window.screen()->geometry().center());
    EXPECT_EQ(window.windowTitle(), " Quantelo ");
    EXPECT_EQ(window.objectName(), "TMyAbout");
    checked = true;
    QTest::keyClick(&window, Qt::Key_Escape);
  }));
  EXPECT_TRUE(checked);
}

}  // namespace
}  // namespace about
