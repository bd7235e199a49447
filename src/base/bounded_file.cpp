#include "base/bounded_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace jinro {
namespace {

// Closes the descriptor on every way out of the reader.
class OpenFile {
 public:
  explicit OpenFile(int fd) : fd_(fd) {}
  ~OpenFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

FileReadError systemFault(FileReadFault fault, int err) { return FileReadError{fault, err, 0}; }

}  // namespace

std::string describe(const FileReadError& error, std::string_view path) {
  const std::string p(path);
  switch (error.fault) {
    case FileReadFault::missing:
    case FileReadFault::cannotOpen:
      return "cannot open " + p + ": " + std::strerror(error.systemError);
    case FileReadFault::notRegular:
      return p + " is not a regular file";
    case FileReadFault::tooLarge:
      return p + " is too large (" + std::to_string(error.size) + " bytes)";
    case FileReadFault::readFailed:
      break;
  }
  return "cannot read " + p + ": " + std::strerror(error.systemError);
}

namespace {

// The file's bytes up to maxBytes; past them, a refusal or the cut content.
Result<std::string, FileReadError> readUpTo(const std::string& path, size_t maxBytes, bool refuseLarger, bool* cut) {
  const OpenFile file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.fd() < 0) {
    const int err = errno;
    return systemFault(err == ENOENT ? FileReadFault::missing : FileReadFault::cannotOpen, err);
  }
  struct stat st {};
  if (::fstat(file.fd(), &st) != 0) return systemFault(FileReadFault::readFailed, errno);
  if (!S_ISREG(st.st_mode)) return FileReadError{FileReadFault::notRegular};
  if (refuseLarger && uint64_t(st.st_size) > maxBytes)
    return FileReadError{FileReadFault::tooLarge, 0, uint64_t(st.st_size)};

  // Room for one byte past the bound: filling it tells a file that grew too far.
  const size_t limit = maxBytes == std::numeric_limits<size_t>::max() ? maxBytes : maxBytes + 1;
  // One byte past the size found, so that the read that meets the end needs
  // no larger buffer.
  std::string out(std::min(limit, size_t(st.st_size) + 1), '\0');
  size_t got = 0;
  for (;;) {
    if (got == out.size()) {
      if (got > maxBytes) {
        if (refuseLarger) return FileReadError{FileReadFault::tooLarge, 0, uint64_t(got)};
        *cut = true;
        out.resize(maxBytes);
        return out;
      }
      out.resize(std::min(limit, got + 65536));
    }
    const ssize_t n = ::read(file.fd(), out.data() + got, out.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return systemFault(FileReadFault::readFailed, errno);
    }
    if (n == 0) break;
    got += size_t(n);
  }
  out.resize(got);
  return out;
}

}  // namespace

Result<std::string, FileReadError> readFileBounded(const std::string& path, size_t maxBytes) {
  return readUpTo(path, maxBytes, true, nullptr);
}

Result<FileHead, FileReadError> readFileHead(const std::string& path, size_t maxBytes) {
  bool cut = false;
  Result<std::string, FileReadError> bytes = readUpTo(path, maxBytes, false, &cut);
  if (!bytes) return bytes.error();
  return FileHead{std::move(*bytes), cut};
}

}  // namespace jinro
