#include "toolkit_startup.h"

#include <QCoreApplication>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "calc/format_settings.h"
#include "gradient_fill.h"
#include "modules/module_locator.h"

namespace toolkit {

namespace {

// The run-time's number for an error nobody handled, its exit status.
constexpr int UnhandledErrorStatus = 217;

// Without the error box a fatal run-time error only says so on the error stream.
[[noreturn]] void quietRuntimeError() {
  std::fprintf(stderr, "Runtime error %d\n", UnhandledErrorStatus);
  std::_Exit(UnhandledErrorStatus);
}

}  // namespace

void ApplyNumberSettings() {
  calc::setDecimalSeparator('.');
}

void ToolkitStartup() {
  ApplyNumberSettings();
  std::set_terminate(quietRuntimeError);
  ChooseGradientModule(QCoreApplication::applicationDirPath());
}

bool ChooseGradientModule(const QString& executableDir) {
  for (const std::filesystem::path& folder : modules::ModuleFolders(executableDir.toStdString())) {
    if (ChooseGradientFill(QString::fromStdString(folder / GradientModuleName))) return true;
  }
  return false;
}

void ToolkitFinish() {
  ReleaseGradientModule();
}

}  // namespace toolkit
