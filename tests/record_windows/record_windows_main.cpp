// The record's windows are tested inside one application object; what reaches the error report
// is kept for the test to check.
#include <gtest/gtest.h>

#include <QApplication>
#include <exception>

#include "example_record.h"
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
      ReportedErrors().push_back(e.what());
    } catch (...) {
      ReportedErrors().push_back("unknown error");
    }
  });
  return RUN_ALL_TESTS();
}
