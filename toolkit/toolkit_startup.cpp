#include "toolkit_startup.h"

#include <QCoreApplication>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "calc/format_settings.h"
#include "gradient_fill.h"

namespace toolkit {

namespace {

// Without the error box a fatal run-time error only says so on the error stream.
[[noreturn]] void quietRuntimeError() {
  std::fputs("Runtime error 217\n", stderr);
  std::_Exit(217);
}

}  // namespace

const char* const InstalledModuleDir = TOOLKIT_INSTALLED_MODULE_DIR;

void ApplyNumberSettings() {
  calc::setDecimalSeparator('.');
}

void ToolkitStartup() {
  ApplyNumberSettings();
  std::set_terminate(quietRuntimeError);
  ChooseGradientModule(QCoreApplication::applicationDirPath());
}

bool ChooseGradientModule(const QString& executableDir) {
  for (const QString& folder : {executableDir, executableDir + '/' + InstalledModuleDir}) {
    if (ChooseGradientFill(folder + '/' + GradientModuleName)) return true;
  }
  return false;
}

void ToolkitFinish() {
  ReleaseGradientModule();
}

}  // namespace toolkit
