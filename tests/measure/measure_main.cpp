// The measuring window's tests run inside one application object; an error that reaches the
// error report fails the test that caused it.
#include <gtest/gtest.h>

#include <QApplication>
#include <exception>

#include "toolkit/event_dispatch.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Listing the tests, as ctest's discovery does, needs no window system.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  QApplication application(argc, argv);
  toolkit::SetErrorReport([](std::exception_ptr error) {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      ADD_FAILURE() << "Error report: " << e.what();
    } catch (...) {
      ADD_FAILURE() << "Error report: unknown error";
    }
  });
  return RUN_ALL_TESTS();
}
