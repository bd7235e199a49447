#pragma once
// The log of the day that just ended: the page before the current one (the
// day's last refresh) written to tmp.html and shown by the log viewer,
// quill_pane.
#include <optional>
#include <string>
#include <string_view>

#include "platform/process_launcher.h"
#include "settings/settings.h"

namespace jinro {

inline constexpr char kLogFileName[] = "tmp.html";
inline constexpr char kViewerProgramName[] = "quill_pane";

class LogLauncher {
 public:
  // folder (ending in '/') receives tmp.html; viewerPath is quill_pane,
  // beside tmp.html when empty.
  LogLauncher(ProcessLauncher& launcher, std::string folder, std::string viewerPath = {});

  // Every completed page's Shift_JIS text, in order: the one before the
  // last is the log.
  void pageCompleted(std::string_view pageText);

  // Writes the log and starts the viewer on it; in reverse-row mode the log's
  // rows are turned round, like the page's (read in the dialect it shows
  // among those the server kind allows). Gives what tmp.html holds and the
  // day's number (0 when the log shows none); nothing when it was not written.
  struct ShownLog {
    std::string bytes;
    int day = 0;
  };
  std::optional<ShownLog> launch(bool reverseRows, ServerKind serverKind = ServerKind::automatic);
  // Shows a log kept earlier under its title (UTF-8).
  void show(const std::string& path, const std::string& title);

 private:
  ProcessLauncher& launcher_;
  std::string folder_;
  std::string viewerPath_;
  std::string current_;
  std::string previous_;
};

}  // namespace jinro
