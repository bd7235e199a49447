#include "client/log_launcher.h"

#include <unistd.h>

#include <cstdio>

#include "base/durable_file.h"
#include "base/server_url.h"
#include "base/text_scan.h"
#include "page/day_log.h"
#include "page/day_number.h"
#include "page/page_reading_impl.h"
#include "page/page_text.h"
#include "page/row_reversal.h"

namespace jinro {

LogLauncher::LogLauncher(ProcessLauncher& launcher, std::string folder, std::string viewerPath)
    : launcher_(launcher), folder_(std::move(folder)), viewerPath_(std::move(viewerPath)) {
  if (!folder_.empty() && folder_.back() != '/') folder_.push_back('/');
  if (viewerPath_.empty()) viewerPath_ = folder_ + kViewerProgramName;
}

void LogLauncher::pageCompleted(std::string_view pageText) {
  // Swapped, not moved: both buffers keep their memory for the pages to come.
  std::swap(previous_, current_);
  current_.assign(pageText);
}

std::optional<LogLauncher::ShownLog> LogLauncher::launch(bool reverseRows, ServerKind serverKind) {
  std::string log(analysis::pageView(previous_));
  const std::string title = dayLogTitle(log);
  const int day = dayNumber(log);
  if (reverseRows) reverseRowsAndFixLinks(log, false, serverKind);
  replaceAll(log, "./", serverBaseUrl());

  const std::string htmlPath = folder_ + kLogFileName;
  std::optional<ShownLog> shown = ShownLog{logFileBytes(log), day};
  if (const Result<void> written = writeFileDurably(htmlPath, shown->bytes, {.flush = false}); !written) {
    std::fprintf(stderr, "jinro-client: %s\n", written.error().c_str());
    shown.reset();
    // Never show an older day's log under this day's title: without the file
    // the viewer says the log is missing.
    unlink(htmlPath.c_str());
    if (access(htmlPath.c_str(), F_OK) == 0) return shown;
  }
  show(htmlPath, pageTextToUtf8(title));
  return shown;
}

void LogLauncher::show(const std::string& path, const std::string& title) {
  launcher_.startDetached(viewerPath_, {path, title});
}

}  // namespace jinro
