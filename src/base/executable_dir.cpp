#include "base/executable_dir.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace jinro {

std::string executableDirectory() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "./";
  std::string dir = exe.parent_path().string();
  if (dir.empty() || dir.back() != '/') dir.push_back('/');
  return dir;
}

std::string enterExecutableDirectory() {
  std::string dir = executableDirectory();
  if (chdir(dir.c_str()) != 0) {
    // Nothing better to do: relative names then resolve where we are.
  }
  return dir;
}

}  // namespace jinro
