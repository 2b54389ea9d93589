// The toolkit needs an application object: for the executable's folder and for widgets.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Listing the tests, as ctest's discovery does, needs no window system.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  // Death tests start the executable anew rather than fork a process that runs Qt's threads.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
