// The protocol paints text and needs a GUI application object, as the command line makes one.
#include <gtest/gtest.h>

#include <QGuiApplication>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Listing the tests, as ctest's discovery does, needs no window system.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  QGuiApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
