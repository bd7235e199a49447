#include "logs/log_launch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "jinro/server_base_url.h"
#include "logs/row_reversal.h"
#include "monitor/page_analysis_impl.h"
#include "monitor/text_scan.h"
#include "platform/code_page.h"
#include "platform/executable_dir.h"
#include "platform/process_launcher.h"

namespace jinro {
namespace {

// "日目"
constexpr std::string_view kDayMarker = "\x93\xFA\x96\xDA";
// "日目の記録"
constexpr std::string_view kDayTitleSuffix = "\x93\xFA\x96\xDA\x82\xCC\x8B\x4C\x98^";
// "事件前日"
constexpr std::string_view kPreDayTitle = "\x8E\x96\x8C\x8F\x91O\x93\xFA";
// The title holds at most 255 bytes.
constexpr size_t kMaxDayDigits = kTitleLimit - kDayTitleSuffix.size();

std::string& logDirectoryOverride() {
  static std::string directory;
  return directory;
}

bool isDigit(char ch) { return ch >= '0' && ch <= '9'; }

// True when pos starts a character of text read from its beginning: the run of
// lead-byte values right before pos, which ends at a byte that is certainly
// the last of a character, must pair up.
bool isCharacterStart(std::string_view text, size_t pos) {
  size_t j = pos;
  while (j > 0 && isLeadByte(static_cast<unsigned char>(text[j - 1]))) --j;
  return (pos - j) % 2 == 0;
}

// Writes the bytes to path through a temporary file in the same directory
// renamed over it, so that a reader sees the old file or the whole new one.
bool writeWholeFile(const std::string& path, std::string_view bytes) {
  std::vector<char> temp(path.begin(), path.end());
  const char suffix[] = ".XXXXXX";
  temp.insert(temp.end(), suffix, suffix + sizeof suffix);  // with its terminator
  int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  fchmod(fd, 0644);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t w = write(fd, bytes.data() + done, bytes.size() - done);
    if (w < 0) {
      if (errno == EINTR) continue;
      break;
    }
    done += static_cast<size_t>(w);
  }
  bool ok = done == bytes.size();
  if (close(fd) != 0) ok = false;
  if (ok && std::rename(temp.data(), path.c_str()) != 0) ok = false;
  if (!ok) unlink(temp.data());
  return ok;
}

}  // namespace

void setLogDirectory(std::string directory) {
  if (!directory.empty() && directory.back() != '/') directory.push_back('/');
  logDirectoryOverride() = std::move(directory);
}

std::string dayLogTitle(std::string_view text) {
  text = analysis::pageView(text);
  size_t pos = findText(text, 0, kDayMarker);
  while (pos != kNotFound) {
    const size_t after = pos + kDayMarker.size();
    if (pos > 0 && text[pos - 1] == '>' && after < text.size() && (text[after] == '<' || text[after] == ' ')) break;
    pos = findText(text, analysis::nextCharStart(text, pos), kDayMarker);
  }
  if (pos == kNotFound) return std::string(kPreDayTitle);

  // The number is the run of digits that ends right before the "<" of the
  // tag that closes just before "日目" (">" stands right before it).
  std::string title;
  size_t lt = text.rfind('<', pos - 1);
  if (lt != std::string_view::npos) {
    size_t start = lt;
    while (start > 0 && lt - start < kMaxDayDigits && isDigit(text[start - 1])) --start;
    // A digit value right after a lead byte is that character's second byte.
    if (start < lt && !isCharacterStart(text, start)) ++start;
    title.assign(text.substr(start, lt - start));
  }
  title += kDayTitleSuffix;
  return title;
}

std::string logFileBytes(std::string_view logText) {
  logText = analysis::untilZero(logText);
  std::string out;
  out.reserve(logText.size() + logText.size() / 16);
  size_t from = 0;
  for (size_t lf = logText.find('\n'); lf != std::string_view::npos; lf = logText.find('\n', from)) {
    out.append(logText, from, lf - from);
    out += "\r\n";
    from = lf + 1;
  }
  out.append(logText, from, std::string_view::npos);
  return out;
}

void launchLogViewer(ClientController& c) {
  if (analysis::isSet(c.gameOver)) return;

  // The page before the current one: the last refresh of the day.
  std::string log(analysis::pageView(utf16ToShiftJis(c.previousPageHtml)));
  const std::string title = dayLogTitle(log);
  if (analysis::isSet(c.reverseRows)) reverseRowsAndFixLinks(log, analysis::isSet(c.gameOver));
  std::string linked = log;
  replaceAll(linked, "./", kServerBaseUrl);

  const std::string directory =
      logDirectoryOverride().empty() ? enterExecutableDirectory() : logDirectoryOverride();
  const std::string htmlPath = directory + kLogFileName;
  if (!writeWholeFile(htmlPath, logFileBytes(linked))) {
    // Never show an older day's log under this day's title: without the file
    // the viewer says the log is missing.
    unlink(htmlPath.c_str());
    if (access(htmlPath.c_str(), F_OK) == 0) return;
  }
  if (c.ports.launcher == nullptr) return;
  int64_t pid = c.ports.launcher->startDetached(directory + kViewerProgramName, {htmlPath, shiftJisToUtf8(title)});
  if (pid > 0) c.viewerProcesses.push_back(pid);
}

}  // namespace jinro
