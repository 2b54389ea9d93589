// The toolkit's start-up and finishing actions.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <exception>
#include <utility>

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

// A program folder laid out anew: the module or one without the routine beside the executable,
// in the installed module folder, or missing.
TEST(ChooseGradientModuleTest, TakesTheModuleBesideTheExecutableOrInTheInstalledFolder) {
  ASSERT_TRUE(QDir::isRelativePath(InstalledModuleDir)) << InstalledModuleDir;
  const QString built = QCoreApplication::applicationDirPath();
  const QString working = built + "/libmsimg32.so";
  const QString lacking = built + "/libno_gradient_module.so";
  struct Case {
    const char* layout;
    QString beside;     // copied beside the executable as libmsimg32.so, unless empty
    QString installed;  // copied into the installed module folder, unless empty
    bool taken;
  };
  const Case cases[] = {
      {"beside", working, {}, true},
      {"installed", {}, working, true},
      {"beside without the routine, installed", lacking, working, true},
      {"installed without the routine", {}, lacking, false},
      {"none", {}, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout);
    QTemporaryDir root;
    const QString executableDir = root.path() + "/bin";
    const QString installedDir = executableDir + '/' + InstalledModuleDir;
    ASSERT_TRUE(QDir().mkpath(executableDir) && QDir().mkpath(installedDir));
    for (const auto& [source, folder] :
         {std::pair{c.beside, executableDir}, std::pair{c.installed, installedDir}}) {
      if (!source.isEmpty()) {
        ASSERT_TRUE(QFile::copy(source, folder + "/libmsimg32.so")) << qPrintable(source);
      }
    }
    EXPECT_EQ(ChooseGradientModule(executableDir), c.taken);
    EXPECT_EQ(GradientFillProc != GradientFillFallback, c.taken);
    ReleaseGradientModule();
  }
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
