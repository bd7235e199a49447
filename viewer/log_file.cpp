#include "log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace quill {

LogFile readLogFile(const std::string& path, std::size_t maxBytes) {
  LogFile result;
  // O_NONBLOCK: opening a FIFO without a writer must not hang the viewer.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    result.error = errno;
    result.problem = (errno == ENOENT || errno == ENOTDIR) ? LogProblem::missing : LogProblem::unreadable;
    return result;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    result.error = errno;
    result.problem = LogProblem::unreadable;
  } else if (!S_ISREG(st.st_mode)) {
    result.problem = LogProblem::notRegular;
  } else if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    result.problem = LogProblem::tooLarge;
    result.size = static_cast<std::uint64_t>(st.st_size);
  } else {
    // The file may still grow while we read it: stop one byte past the cap.
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
      if (got == bytes.size()) {
        if (bytes.size() > maxBytes) break;
        bytes.resize(std::min(maxBytes + 1, bytes.size() * 2));
      }
      ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0) {
        if (errno == EINTR) continue;
        result.error = errno;
        result.problem = LogProblem::unreadable;
        break;
      }
      if (n == 0) break;
      got += static_cast<std::size_t>(n);
    }
    if (result.problem == LogProblem::none) {
      if (got > maxBytes) {
        result.problem = LogProblem::tooLarge;
        result.size = got;
      } else {
        bytes.resize(got);
        if (bytes.find('\0') != std::string::npos)
          result.problem = LogProblem::notText;
        else
          result.bytes = std::move(bytes);
      }
    }
  }
  ::close(fd);
  return result;
}

}  // namespace quill
