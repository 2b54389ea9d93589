// The toolkit's start-up and finishing actions.
#include <gtest/gtest.h>

#include <exception>

#include "calc/format_settings.h"
#include "toolkit/gradient_fill.h"
#include "toolkit/toolkit_startup.h"

namespace toolkit {
namespace {

// Start-up replaces the process's terminate handler; the other tests keep the usual one.
class ToolkitStartupTest : public testing::Test {
 protected:
  void TearDown() override { std::set_terminate(handler_); }

 private:
  std::terminate_handler handler_ = std::get_terminate();
};

TEST_F(ToolkitStartupTest, SetsThePointAndTakesTheModuleUntilFinish) {
  calc::setDecimalSeparator(',');
  ToolkitStartup();
  EXPECT_EQ(calc::decimalSeparator(), '.');
  EXPECT_NE(GradientFillProc, GradientFillFallback);
  ToolkitFinish();
  EXPECT_EQ(GradientFillProc, GradientFillFallback);
}

TEST(ToolkitStartupDeathTest, FatalErrorEndsQuietlyWithStatus217) {
  EXPECT_EXIT(
      {
        ToolkitStartup();
        std::terminate();
      },
      testing::ExitedWithCode(217), "Runtime error 217");
}

}  // namespace
}  // namespace toolkit
