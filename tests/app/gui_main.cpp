// The window tests run inside the real application object, set up as the program sets it up.
#include <gtest/gtest.h>

#include "application.h"
#include "calc/fpu.h"
#include "startup.h"
#include "window_test.h"

calc::Fpu& ProcessFpu() {
  static calc::Fpu fpu;
  return fpu;
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Listing the tests, as ctest's discovery does, needs no window system.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  ProcessFpu().reset(calc::DefaultFpuControlWord);
  TApplication application(argc, argv, ProcessFpu());
  const RunningUnits units;
  return RUN_ALL_TESTS();
}
