#pragma once
// Reading the log file that quill_pane shows: a bounded read of a regular
// file (base/bounded_file.h, the client's one reader), with a reason when the
// file can't be shown.
#include <cstddef>
#include <cstdint>
#include <string>

namespace quill {

// Nothing larger is rendered. A day's log is at most 511,999 bytes of text,
// about a megabyte once every line feed is stored as CR LF; the text browser
// lays out about a megabyte a second.
inline constexpr std::size_t kMaxLogBytes = 2 * 1024 * 1024;

// notText: a zero byte, which no page's text holds (a binary or broken file).
enum class LogProblem { none, missing, notRegular, unreadable, tooLarge, notText };

struct LogFile {
  LogProblem problem = LogProblem::none;
  std::string bytes;        // the file's bytes when problem == none
  std::uint64_t size = 0;   // the file's size as found (tooLarge)
  int error = 0;            // errno of a failed open or read
};

// Reads at most maxBytes of the regular file at path. Never blocks on a FIFO
// or a device and never reads more than maxBytes + 1 bytes.
LogFile readLogFile(const std::string& path, std::size_t maxBytes = kMaxLogBytes);

}  // namespace quill
