// Where the program's own modules (the gradient module, language modules) and helper programs
// (the decoding helper) are found: beside the executable, where a build tree has them, or else
// in the installed module folder, whose way from the executable's folder the build sets.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace modules {

// The installed module folder relative to the executable's folder ("../lib/quantelo").
extern const char* const InstalledModuleDir;

// The folder of the running executable; empty where the system does not tell.
std::filesystem::path ExecutableFolder();

// The folders looked in, in order, for an executable in executableFolder.
std::vector<std::filesystem::path> ModuleFolders(const std::filesystem::path& executableFolder);

// The first regular file called fileName in ModuleFolders(executableFolder).
std::optional<std::filesystem::path> FindModule(
    std::string_view fileName, const std::filesystem::path& executableFolder = ExecutableFolder());

}  // namespace modules
