#pragma once
// Where the program finds its files and where it keeps the player's. A
// program run from one folder (the build's bin/, or a copy carried around
// with its jinro.ini) keeps everything in that folder. An installed program
// (games/jinro-client beside ../share/jinro-client/) reads its sounds, readme
// and viewer from the installed folders, which it may not write, and keeps
// jinro.ini and the day's log in the user's XDG folders.
#include <string>

#include "base/result.h"

namespace jinro {

struct ProgramPaths {
  std::string settingsFolder;  // jinro.ini; relative sound paths are looked for here first
  std::string cacheFolder;     // tmp.html, the day's log
  std::string soundFolder;     // the default sounds: relative sound paths, second
  std::string viewerPath;      // quill_pane
  std::string readmePath;      // readme.txt
  std::string villagesFolder;  // the player's notes and every day's log, a folder per server and village
  bool installed = false;

  // Everything in one folder (ending in '/').
  static ProgramPaths allIn(const std::string& folder);

  // The settings and cache folders made when missing (mode 0700, as the XDG
  // folders are made), so that the first save finds them.
  Result<void> createFolders() const;
};

// What the user's environment says about the XDG folders.
struct UserFolders {
  std::string home;        // HOME, or the password database's entry when unset
  std::string configHome;  // XDG_CONFIG_HOME as set (may be empty or relative)
  std::string cacheHome;   // XDG_CACHE_HOME as set
  std::string dataHome;    // XDG_DATA_HOME as set
};
UserFolders userFoldersFromEnvironment();

// The paths of the program whose executable sits in exeDir (ending in '/').
// It counts as installed when its installed data folder exists and no
// jinro.ini sits beside the executable.
ProgramPaths programPathsFor(const std::string& exeDir, const UserFolders& user);

// The running program's paths, worked out once on first use.
const ProgramPaths& programPaths();

}  // namespace jinro
