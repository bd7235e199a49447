#include "log_file.h"

#include <cerrno>

#include "base/bounded_file.h"

namespace quill {

LogFile readLogFile(const std::string& path, std::size_t maxBytes) {
  LogFile result;
  // The client's own bounded reader: it never blocks on a FIFO or a device
  // and reads at most one byte past the bound.
  jinro::Result<std::string, jinro::FileReadError> content = jinro::readFileBounded(path, maxBytes);
  if (!content) {
    const jinro::FileReadError& e = content.error();
    result.error = e.systemError;
    switch (e.fault) {
      case jinro::FileReadFault::missing:
        result.problem = LogProblem::missing;
        break;
      case jinro::FileReadFault::cannotOpen:
        // A folder on the way that is a file: as missing as no file at all.
        result.problem = e.systemError == ENOTDIR ? LogProblem::missing : LogProblem::unreadable;
        break;
      case jinro::FileReadFault::notRegular:
        result.problem = LogProblem::notRegular;
        break;
      case jinro::FileReadFault::tooLarge:
        result.problem = LogProblem::tooLarge;
        result.size = e.size;
        break;
      case jinro::FileReadFault::readFailed:
        result.problem = LogProblem::unreadable;
        break;
    }
    return result;
  }
  if (content->find('\0') != std::string::npos) {
    result.problem = LogProblem::notText;
  } else {
    result.bytes = std::move(*content);
  }
  return result;
}

}  // namespace quill
