#pragma once
// The log of the day that just ended: the previous page's HTML written to
// tmp.html beside the executable and shown by the log viewer, quill_pane.
#include <string>
#include <string_view>

#include "app/client_controller.h"

namespace jinro {

inline constexpr char kLogFileName[] = "tmp.html";
inline constexpr char kViewerProgramName[] = "quill_pane";

void launchLogViewer(ClientController& c);

// "<n>日目の記録" for the day number before the first counting "日目", else "事件前日".
std::string dayLogTitle(std::string_view text);

// The log text as stored in tmp.html: every LF written as CRLF, nothing added.
std::string logFileBytes(std::string_view logText);

// The directory (ending in '/') that receives tmp.html and holds quill_pane.
// Empty, the default, means the executable's own directory, which the launch
// then also makes the current directory. Tests point it elsewhere.
void setLogDirectory(std::string directory);

}  // namespace jinro
