#include "settings/program_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "base/executable_dir.h"

// The installed folders as seen from the folder of the executable; the build
// passes them from its install directories.
#ifndef JINRO_DATA_FROM_BIN
#define JINRO_DATA_FROM_BIN "../share/jinro-client"
#endif
#ifndef JINRO_VIEWER_FROM_BIN
#define JINRO_VIEWER_FROM_BIN "../libexec/jinro-client"
#endif
#ifndef JINRO_DOC_FROM_BIN
#define JINRO_DOC_FROM_BIN "../share/doc/jinro-client"
#endif

namespace jinro {

namespace {

constexpr char kFolderName[] = "jinro-client";

std::string folderOf(const std::filesystem::path& p) {
  std::string s = p.lexically_normal().string();
  if (s.empty() || s.back() != '/') s.push_back('/');
  return s;
}

std::string envOr(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// The XDG base folder: the variable when it holds an absolute path (the
// standard says a relative one is to be ignored), else HOME/fallback.
std::string xdgFolder(const std::string& set, const std::string& home, const char* fallback) {
  if (!set.empty() && set.front() == '/') return folderOf(std::filesystem::path(set) / kFolderName);
  return folderOf(std::filesystem::path(home) / fallback / kFolderName);
}

Result<void> makeFolder(const std::string& folder) {
  std::string path;
  for (size_t at = 1; at <= folder.size(); ++at) {
    if (at < folder.size() && folder[at] != '/') continue;
    path = folder.substr(0, at);
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
      return fail("cannot make the folder " + path + ": " + std::strerror(errno));
    }
  }
  struct stat st;
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return fail(folder + " is not a folder");
  return {};
}

}  // namespace

ProgramPaths ProgramPaths::allIn(const std::string& folder) {
  std::string f = folder;
  if (!f.empty() && f.back() != '/') f.push_back('/');
  return {f, f, f, f + "quill_pane", f + "readme.txt", f + "villages/", false};
}

Result<void> ProgramPaths::createFolders() const {
  if (!installed) return {};
  if (Result<void> made = makeFolder(settingsFolder); !made) return made;
  return makeFolder(cacheFolder);
}

UserFolders userFoldersFromEnvironment() {
  UserFolders user{envOr("HOME"), envOr("XDG_CONFIG_HOME"), envOr("XDG_CACHE_HOME"), envOr("XDG_DATA_HOME")};
  if (user.home.empty()) {
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_dir) user.home = pw->pw_dir;
  }
  return user;
}

ProgramPaths programPathsFor(const std::string& exeDir, const UserFolders& user) {
  namespace fs = std::filesystem;
  const fs::path bin(exeDir);
  std::error_code ec;
  const bool hasData = fs::is_directory(bin / JINRO_DATA_FROM_BIN, ec);
  const bool portable = fs::exists(bin / "jinro.ini", ec);
  // Without a home there is nowhere of the user's to write: the program
  // stays in its folder, and the first save says that it cannot write there.
  const auto absolute = [](const std::string& s) { return !s.empty() && s.front() == '/'; };
  const bool homeKnown = !user.home.empty() || (absolute(user.configHome) && absolute(user.cacheHome));
  if (!hasData || portable || !homeKnown) return ProgramPaths::allIn(exeDir);

  ProgramPaths p;
  p.installed = true;
  p.settingsFolder = xdgFolder(user.configHome, user.home, ".config");
  p.cacheFolder = xdgFolder(user.cacheHome, user.home, ".cache");
  p.villagesFolder = xdgFolder(user.dataHome, user.home, ".local/share") + "villages/";
  p.soundFolder = folderOf(bin / JINRO_DATA_FROM_BIN / "sounds");
  p.viewerPath = (bin / JINRO_VIEWER_FROM_BIN / "quill_pane").lexically_normal().string();
  p.readmePath = (bin / JINRO_DOC_FROM_BIN / "readme.txt").lexically_normal().string();
  return p;
}

const ProgramPaths& programPaths() {
  static const ProgramPaths paths = programPathsFor(executableDirectory(), userFoldersFromEnvironment());
  return paths;
}

}  // namespace jinro
