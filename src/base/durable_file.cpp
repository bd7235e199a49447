#include "base/durable_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace jinro {

std::string directoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

namespace {

// errno is taken by the caller right after the failing call: the clean-up
// that follows (close, unlink) may change it.
Failure failed(const std::string& what, int err) { return fail(what + ": " + std::strerror(err)); }

mode_t currentUmask() {
  // Read without changing it (umask() would, for a moment, for every thread).
  FILE* f = std::fopen("/proc/self/status", "re");
  mode_t mask = 022;
  if (!f) return mask;
  char line[256];
  while (std::fgets(line, sizeof line, f)) {
    if (std::strncmp(line, "Umask:", 6) == 0) {
      mask = static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8)) & 0777;
      break;
    }
  }
  std::fclose(f);
  return mask;
}

bool writeAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(w);
  }
  return true;
}

std::string temporaryName(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  return target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
}

// Fills fd with the bytes and gives it the target's owner (where allowed)
// before its mode, since a change of owner clears the set-id bits; then
// flushes it to the disk.
Result<void> fillTemporary(int fd, const std::string& target, std::string_view bytes, const struct stat* existing,
                           mode_t mode, bool flush) {
  if (!writeAll(fd, bytes)) return failed("cannot write " + target, errno);
  if (existing && (existing->st_uid != ::geteuid() || existing->st_gid != ::getegid())) {
    if (::fchown(fd, existing->st_uid, existing->st_gid) != 0) {
      // Not allowed: the file then belongs to us, with the same mode.
    }
  }
  if (::fchmod(fd, mode) != 0) return failed("cannot set the permissions of the new " + target, errno);
  if (flush && ::fsync(fd) != 0) return failed("cannot write " + target + " to the disk", errno);
  return {};
}

// Renames the finished temporary over the target and makes the rename itself
// durable, as far as the folder can be flushed.
Result<void> commitTemporary(const std::string& tempName, const std::string& target, bool flush) {
  if (::rename(tempName.c_str(), target.c_str()) != 0) {
    const int err = errno;
    ::unlink(tempName.c_str());
    return failed("cannot replace " + target, err);
  }
  if (!flush) return {};
  int dfd = ::open(directoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return {};
}

// The temporary has no name until its content is on disk (O_TMPFILE), so a
// kill while writing leaves nothing behind. False when the filesystem has no
// such files or they cannot be given a name here.
Result<bool> replaceThroughAnonymousFile(const std::string& target, std::string_view bytes,
                                         const struct stat* existing, mode_t mode, bool flush) {
  int fd = ::open(directoryOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  if (Result<void> filled = fillTemporary(fd, target, bytes, existing, mode, flush); !filled) {
    ::close(fd);
    return fail(filled.error());
  }
  const std::string procPath = "/proc/self/fd/" + std::to_string(fd);
  std::string tempName;
  for (int attempt = 0; attempt < 100 && tempName.empty(); ++attempt) {
    std::string name = temporaryName(target);
    if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      tempName = std::move(name);
    } else if (errno != EEXIST) {
      break;  // no /proc, or linking not allowed here
    }
  }
  ::close(fd);
  if (tempName.empty()) return false;
  if (Result<void> committed = commitTemporary(tempName, target, flush); !committed) return fail(committed.error());
  return true;
}

Result<void> replaceThroughNamedFile(const std::string& target, std::string_view bytes, const struct stat* existing,
                                     mode_t mode, bool flush) {
  int fd = -1;
  std::string tempName;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tempName = temporaryName(target);
    fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) return failed("cannot create a temporary file beside " + target, errno);
  }
  if (fd < 0) return failed("cannot create a temporary file beside " + target, EEXIST);
  Result<void> filled = fillTemporary(fd, target, bytes, existing, mode, flush);
  if (::close(fd) != 0 && filled) filled = failed("cannot write " + target, errno);
  if (!filled) {
    ::unlink(tempName.c_str());
    return filled;
  }
  return commitTemporary(tempName, target, flush);
}

}  // namespace

std::string throughLink(const std::string& path) {
  struct stat lst {};
  if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      std::string target = real;
      ::free(real);
      return target;
    }
  }
  return path;
}

Result<void> writeFileDurably(const std::string& path, std::string_view bytes, DurableWriteOptions options) {
  if (path.empty()) return fail("cannot write a file without a name");

  const std::string target = throughLink(path);

  struct stat st {};
  const struct stat* existing = nullptr;
  if (::stat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return fail("cannot write " + target + ": it is not a regular file");
    existing = &st;
  } else if (errno != ENOENT) {
    return failed("cannot write " + target, errno);
  }
  const mode_t mode = existing ? (existing->st_mode & 07777) : (options.newFileMode & 07777 & ~currentUmask());

  Result<bool> anonymous = replaceThroughAnonymousFile(target, bytes, existing, mode, options.flush);
  if (!anonymous) return fail(anonymous.error());
  if (*anonymous) return {};
  return replaceThroughNamedFile(target, bytes, existing, mode, options.flush);
}

Result<void> probeReplaceable(const std::string& path) {
  struct stat st {};
  off_t size = 0;
  if (::stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return fail(path + " is not a regular file");
    size = st.st_size;
  } else if (errno != ENOENT) {
    return failed(path, errno);
  }
  // A nameless file in the folder where the filesystem has them, so that a
  // process killed meanwhile leaves nothing behind; a named one otherwise.
  std::vector<char> name;
  int fd = ::open(directoryOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    const std::string probe = path + ".probe-XXXXXX";
    name.assign(probe.begin(), probe.end());
    name.push_back('\0');
    fd = ::mkstemp(name.data());
  }
  if (fd < 0) return failed("cannot create a file beside " + path, errno);
  // As much as a save writes, and some room for what it adds.
  const std::vector<char> block(4096, ' ');
  off_t left = size + static_cast<off_t>(block.size());
  int err = 0;
  while (err == 0 && left > 0) {
    const size_t n = static_cast<size_t>(std::min<off_t>(left, static_cast<off_t>(block.size())));
    const ssize_t w = ::write(fd, block.data(), n);
    if (w < 0 && errno == EINTR) continue;
    if (w < 0)
      err = errno;
    else if (w == 0)
      err = ENOSPC;  // write(2) sets no errno when it takes nothing
    else
      left -= w;
  }
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  ::close(fd);
  if (!name.empty()) ::unlink(name.data());
  if (err != 0) return failed("cannot write beside " + path, err);
  return {};
}

}  // namespace jinro
