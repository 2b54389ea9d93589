#include "module_locator.h"

#include <system_error>

namespace modules {

const char* const InstalledModuleDir = INSTALLED_MODULE_DIR;

std::filesystem::path ExecutableFolder() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : executable.parent_path();
}

std::vector<std::filesystem::path> ModuleFolders(const std::filesystem::path& executableFolder) {
  return {executableFolder, executableFolder / InstalledModuleDir};
}

std::optional<std::filesystem::path> FindModule(std::string_view fileName,
                                                const std::filesystem::path& executableFolder) {
  for (const std::filesystem::path& folder : ModuleFolders(executableFolder)) {
    std::error_code error;
    const std::filesystem::path candidate = folder / fileName;
    if (std::filesystem::is_regular_file(candidate, error)) return candidate;
  }
  return std::nullopt;
}

}  // namespace modules
