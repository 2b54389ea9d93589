// The toolkit's start-up and finishing actions: process-wide settings made before any window.
#pragma once

#include "modules/module_locator.h"

class QString;

namespace toolkit {

// The file the gradient module is loaded from, without prefix or suffix.
inline constexpr const char* GradientModuleName = "msimg32";
// The folder an installed program keeps the module in, relative to the executable's folder.
using modules::InstalledModuleDir;

// Sets the decimal separator to ".", switches the run-time error box off (a fatal run-time
// error ends the program with exit status 217 and no dialog) and chooses the gradient routine.
// Needs the application object, for the executable's folder.
void ToolkitStartup();
// Releases the gradient module.
void ToolkitFinish();

// The toolkit's number setting alone: the decimal separator ".".
void ApplyNumberSettings();

// Takes the gradient routine from the module beside the executable in executableDir, where a
// build tree has it, or else from executableDir/InstalledModuleDir; the fallback where neither
// gives the routine. True when a module's routine was taken.
bool ChooseGradientModule(const QString& executableDir);

}  // namespace toolkit
