// The toolkit's start-up and finishing actions: process-wide settings made before any window.
#pragma once

namespace toolkit {

// The file the gradient module is loaded from, beside the executable, without prefix or suffix.
inline constexpr const char* GradientModuleName = "msimg32";

// Sets the decimal separator to ".", switches the run-time error box off (a fatal run-time
// error ends the program with exit status 217 and no dialog) and chooses the gradient routine.
// Needs the application object, for the executable's folder.
void ToolkitStartup();
// Releases the gradient module.
void ToolkitFinish();

// The toolkit's number setting alone: the decimal separator ".".
void ApplyNumberSettings();

}  // namespace toolkit
