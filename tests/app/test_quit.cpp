// Ending the program: the menu command and closing the main window end the event loop.
#include <QApplication>
#include <QTimer>
#include <functional>

#include "window_test.h"

namespace {

class QuitTest : public WindowTest {
 protected:
  // Runs the application's event loop with start queued; 1 when it had to be stopped.
  int runUntilQuit(const std::function<void()>& start) {
    QTimer stop;
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout, [] {
      ADD_FAILURE() << "The event loop kept running";
      QCoreApplication::exit(1);
    });
    stop.start(5000);
    QTimer::singleShot(0, &main_, start);
    return QApplication::exec();
  }
};

TEST_F(QuitTest, BeendenEndsTheLoopAfterTheMessagesPostedBefore) {
  bool postedHandled = false;
  EXPECT_EQ(runUntilQuit([&] {
              QMetaObject::invokeMethod(
                  &main_, [&] { postedHandled = true; }, Qt::QueuedConnection);
              main_.Beenden1->trigger();
            }),
            0);
  EXPECT_TRUE(postedHandled);
}

TEST_F(QuitTest, ClosingTheMainWindowEndsTheLoop) {
  EXPECT_EQ(runUntilQuit([&] { main_.close(); }), 0);
}

}  // namespace
