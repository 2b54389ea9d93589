// The about window's tests inside a plain application object on the offscreen platform, with
// the toolkit started as the program starts it (the gradient module beside the executable).
#include <gtest/gtest.h>

#include <QApplication>

#include "toolkit/event_dispatch.h"
#include "toolkit/toolkit_startup.h"

namespace {

void FailOnEscapingError(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    ADD_FAILURE() << "An error escaped a handler: " << e.what();
  } catch (...) {
    ADD_FAILURE() << "An error escaped a handler";
  }
}

// The offscreen platform has no window shapes or opacity and says so at every change.
void QuietAboutUnsupported(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (text.startsWith(QStringLiteral("This plugin does not support"))) return;
  qt_message_output(type, context, text);
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Listing the tests, as ctest's discovery does, needs no window system.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  qInstallMessageHandler(QuietAboutUnsupported);
  QApplication application(argc, argv);
  toolkit::ToolkitStartup();
  toolkit::SetErrorReport(FailOnEscapingError);
  const int failed = RUN_ALL_TESTS();
  toolkit::ToolkitFinish();
  return failed;
}
