#include "toolkit_startup.h"

#include <QCoreApplication>
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

void ApplyNumberSettings() {
  calc::setDecimalSeparator('.');
}

void ToolkitStartup() {
  ApplyNumberSettings();
  std::set_terminate(quietRuntimeError);
  ChooseGradientFill(QCoreApplication::applicationDirPath() + '/' + GradientModuleName);
}

void ToolkitFinish() {
  ReleaseGradientModule();
}

}  // namespace toolkit
