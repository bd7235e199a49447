#include "settings/profile_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/code_page.h"

namespace jinro::profile {

std::string directoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

namespace {

// Blanks as the profile functions trim them. None of these bytes can be the
// second byte of a double-byte character.
inline bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && isBlank(s[b])) ++b;
  while (e > b && isBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

inline char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Compares names without regard to ASCII case; the second byte of a
// double-byte character is compared as it is.
bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (isLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

// One line of the content: [begin, end) without its line break, next = start
// of the following line. CR LF, LF and a lone CR each end a line.
struct Line {
  size_t begin;
  size_t end;
  size_t next;
};

Line lineAt(std::string_view s, size_t pos) {
  size_t e = pos;
  const size_t n = s.size();
  while (e < n && s[e] != '\n' && s[e] != '\r') ++e;
  size_t next = e;
  if (next < n) {
    if (s[next] == '\r' && next + 1 < n && s[next + 1] == '\n')
      next += 2;
    else
      ++next;
  }
  return {pos, e, next};
}

// When the line opens a section, the section's name (trimmed).
std::optional<std::string_view> sectionHeader(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && isBlank(line[i])) ++i;
  if (i >= line.size() || line[i] != '[') return std::nullopt;
  const size_t open = i;
  size_t close = std::string_view::npos;
  for (i = open + 1; i < line.size(); ++i) {
    if (isLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size()) {
      ++i;
      continue;
    }
    if (line[i] == ']') close = i;
  }
  if (close == std::string_view::npos) return std::nullopt;
  return trim(line.substr(open + 1, close - open - 1));
}

bool isBlankLine(std::string_view line) { return trim(line).empty(); }

// Where the first line starts: after a UTF-8 byte order mark, if the file
// has one, so that the first section header is still seen.
size_t firstLineStart(std::string_view s) { return s.starts_with("\xEF\xBB\xBF") ? 3 : 0; }

// Holds an advisory lock on the file's directory while a section is read,
// changed and written back, so that two running clients saving at the same
// moment do not lose each other's section. The file itself cannot carry the
// lock, as it is replaced by another one. Waits at most about two seconds,
// then goes on without the lock rather than hang.
class DirectoryLock {
 public:
  explicit DirectoryLock(const std::string& dir) {
    fd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) return;
    for (int attempt = 0; attempt < 2000; ++attempt) {
      if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return;
      if (errno != EWOULDBLOCK && errno != EINTR) break;
      struct timespec pause = {0, 1000 * 1000};
      ::nanosleep(&pause, nullptr);
    }
  }
  ~DirectoryLock() {
    if (fd_ >= 0) ::close(fd_);  // releases the lock
  }
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;

 private:
  int fd_ = -1;
};

std::string_view unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

std::string cutToBuffer(std::string_view v, size_t bufferSize) {
  if (bufferSize == 0) return std::string();
  return std::string(cutOnCharacterBoundary(v, bufferSize - 1));
}

enum class ReadResult { ok, missing, failed };

// Reads a regular file of at most kMaxFileSize bytes. Never blocks on a FIFO
// or a device put in the file's place.
ReadResult readWholeFile(const std::string& path, std::string& out) {
  out.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? ReadResult::missing : ReadResult::failed;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) > kMaxFileSize) {
    ::close(fd);
    return ReadResult::failed;
  }
  out.resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  for (;;) {
    if (got == out.size()) {
      // The file may have grown since fstat.
      if (out.size() >= kMaxFileSize + 1) break;
      out.resize(std::min<size_t>(kMaxFileSize + 1, out.size() + 65536));
    }
    ssize_t r = ::read(fd, out.data() + got, out.size() - got);
    if (r < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      out.clear();
      return ReadResult::failed;
    }
    if (r == 0) break;
    got += static_cast<size_t>(r);
  }
  ::close(fd);
  out.resize(got);
  if (got > kMaxFileSize) {
    out.clear();
    return ReadResult::failed;
  }
  return ReadResult::ok;
}

std::string_view cutAtLineBreak(std::string_view s) {
  size_t e = 0;
  while (e < s.size() && s[e] != '\r' && s[e] != '\n' && s[e] != '\0') ++e;
  return s.substr(0, e);
}

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

// Fills fd with the bytes and gives it the target's mode (and owner, where
// allowed), then flushes it to the disk.
bool fillTemporary(int fd, std::string_view bytes, const struct stat* existing, mode_t mode) {
  if (!writeAll(fd, bytes)) return false;
  if (existing && (existing->st_uid != ::geteuid() || existing->st_gid != ::getegid())) {
    if (::fchown(fd, existing->st_uid, existing->st_gid) != 0) {
      // Not allowed: the file then belongs to us, with the same mode.
    }
  }
  return ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
}

// Renames the finished temporary over the target and makes the rename itself
// durable.
bool commitTemporary(const std::string& tempName, const std::string& target, const std::string& dir) {
  if (::rename(tempName.c_str(), target.c_str()) != 0) {
    ::unlink(tempName.c_str());
    return false;
  }
  int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

enum class Outcome { done, failed, unsupported };

// The temporary has no name until its content is on disk (O_TMPFILE), so a
// crash while writing leaves nothing behind.
Outcome replaceThroughAnonymousFile(const std::string& target, const std::string& dir, std::string_view bytes,
                                    const struct stat* existing, mode_t mode) {
  int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0) return Outcome::unsupported;
  if (!fillTemporary(fd, bytes, existing, mode)) {
    ::close(fd);
    return Outcome::failed;
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
  if (tempName.empty()) return Outcome::unsupported;
  return commitTemporary(tempName, target, dir) ? Outcome::done : Outcome::failed;
}

Outcome replaceThroughNamedFile(const std::string& target, const std::string& dir, std::string_view bytes,
                                const struct stat* existing, mode_t mode) {
  int fd = -1;
  std::string tempName;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tempName = temporaryName(target);
    fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) return Outcome::failed;
  }
  if (fd < 0) return Outcome::failed;
  const bool filled = fillTemporary(fd, bytes, existing, mode);
  if (::close(fd) != 0 || !filled) {
    ::unlink(tempName.c_str());
    return Outcome::failed;
  }
  return commitTemporary(tempName, target, dir) ? Outcome::done : Outcome::failed;
}

// Writes bytes to a new file beside target and renames it over target, so a
// crash or a full disk leaves either the old file or the new one, whole.
bool replaceFile(const std::string& target, std::string_view bytes, const struct stat* existing) {
  const std::string dir = directoryOf(target);
  const mode_t mode = existing ? (existing->st_mode & 07777) : (0666 & ~currentUmask());
  Outcome outcome = replaceThroughAnonymousFile(target, dir, bytes, existing, mode);
  if (outcome == Outcome::unsupported) outcome = replaceThroughNamedFile(target, dir, bytes, existing, mode);
  return outcome == Outcome::done;
}

}  // namespace

Document Document::parse(std::string content) {
  Document d;
  d.content_ = std::move(content);
  const std::string_view s(d.content_);
  bool inSection = false;
  size_t pos = firstLineStart(s);
  while (pos < s.size()) {
    const Line line = lineAt(s, pos);
    pos = line.next;
    const std::string_view text = s.substr(line.begin, line.end - line.begin);
    if (auto name = sectionHeader(text)) {
      Section sec;
      sec.name = {static_cast<size_t>(name->data() - s.data()), name->size()};
      sec.firstEntry = d.entries_.size();
      d.sections_.push_back(sec);
      inSection = true;
      continue;
    }
    if (!inSection) continue;
    const size_t eq = text.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = trim(text.substr(0, eq));
    std::string_view value = text.substr(eq + 1);
    if (size_t zero = value.find('\0'); zero != std::string_view::npos) value = value.substr(0, zero);
    value = trim(value);
    d.entries_.push_back({{static_cast<size_t>(key.data() - s.data()), key.size()},
                          {static_cast<size_t>(value.data() - s.data()), value.size()}});
    ++d.sections_.back().entryCount;
  }
  return d;
}

Document Document::load(const std::string& path) {
  std::string content;
  if (readWholeFile(path, content) != ReadResult::ok) return Document();
  return parse(std::move(content));
}

std::optional<std::string_view> Document::find(std::string_view section, std::string_view key) const {
  section = trim(section);
  key = trim(key);
  for (const Section& sec : sections_) {
    if (!sameName(text(sec.name), section)) continue;
    for (size_t i = sec.firstEntry; i < sec.firstEntry + sec.entryCount; ++i) {
      if (sameName(text(entries_[i].key), key)) return text(entries_[i].value);
    }
    return std::nullopt;  // only the first section of that name counts
  }
  return std::nullopt;
}

std::string Document::readString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                 size_t bufferSize) const {
  auto value = find(section, key);
  if (!value) {
    if (size_t zero = defaultValue.find('\0'); zero != std::string_view::npos) defaultValue = defaultValue.substr(0, zero);
    return cutToBuffer(defaultValue, bufferSize);
  }
  return cutToBuffer(unquote(*value), bufferSize);
}

int32_t Document::readInt(std::string_view section, std::string_view key, int32_t defaultValue) const {
  // Read as the Windows function does: through a 30-byte string buffer.
  const std::string value = readString(section, key, "", 30);
  if (value.empty()) return defaultValue;
  size_t i = 0;
  while (i < value.size() && static_cast<unsigned char>(value[i]) <= ' ') ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) {
    negative = value[i] == '-';
    ++i;
  }
  uint32_t n = 0;
  while (i < value.size() && value[i] >= '0' && value[i] <= '9') {
    n = n * 10u + static_cast<uint32_t>(value[i] - '0');
    ++i;
  }
  if (negative) n = 0u - n;
  return static_cast<int32_t>(n);
}

std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue,
                       size_t bufferSize, const std::string& path) {
  return Document::load(path).readString(section, key, defaultValue, bufferSize);
}

int32_t readInt(std::string_view section, std::string_view key, int32_t defaultValue, const std::string& path) {
  return Document::load(path).readInt(section, key, defaultValue);
}

std::string replaceSection(std::string_view content, std::string_view section, const KeyValueList& pairs) {
  const std::string_view wanted = trim(section);

  std::string block;
  block.reserve(section.size() + 4 + pairs.size() * 64);
  block.append("[").append(section).append("]\r\n");
  for (const auto& [key, value] : pairs) {
    block.append(cutAtLineBreak(key)).append("=").append(cutAtLineBreak(value)).append("\r\n");
  }

  // Sections as spans [start, end); keepFrom marks where the blank lines that
  // end a section begin, which are kept when it is replaced.
  struct Span {
    size_t start;
    size_t keepFrom;
    size_t end;
    bool matches;
  };
  std::vector<Span> spans;
  size_t blankRun = std::string_view::npos;
  size_t pos = firstLineStart(content);
  while (pos < content.size()) {
    const Line line = lineAt(content, pos);
    const std::string_view text = content.substr(line.begin, line.end - line.begin);
    if (auto name = sectionHeader(text)) {
      if (!spans.empty()) {
        spans.back().end = line.begin;
        spans.back().keepFrom = blankRun == std::string_view::npos ? line.begin : blankRun;
      }
      spans.push_back({line.begin, line.next, line.next, sameName(*name, wanted)});
      blankRun = std::string_view::npos;
    } else if (isBlankLine(text)) {
      if (blankRun == std::string_view::npos) blankRun = line.begin;
    } else {
      blankRun = std::string_view::npos;
    }
    pos = line.next;
  }
  if (!spans.empty()) {
    spans.back().end = content.size();
    spans.back().keepFrom = blankRun == std::string_view::npos ? content.size() : blankRun;
  }

  std::string out;
  out.reserve(content.size() + block.size() + 2);
  size_t copied = 0;
  bool replaced = false;
  for (const Span& sp : spans) {
    if (!sp.matches) continue;
    out.append(content.substr(copied, sp.start - copied));
    if (!replaced) {
      out.append(block);
      out.append(content.substr(sp.keepFrom, sp.end - sp.keepFrom));
      replaced = true;
    }
    copied = sp.end;
  }
  out.append(content.substr(copied));
  if (!replaced) {
    if (out.size() > firstLineStart(out) && out.back() != '\n' && out.back() != '\r') out.append("\r\n");
    out.append(block);
  }
  return out;
}

// True when the name ends with the first byte of a double-byte character: its
// header line's "]" would be read as that character's second byte.
static bool endsInLeadByte(std::string_view name) {
  size_t i = 0;
  while (i < name.size()) i += isLeadByte(static_cast<unsigned char>(name[i])) ? 2 : 1;
  return i > name.size();
}

bool writeSection(std::string_view section, const KeyValueList& pairs, const std::string& path) {
  if (trim(section).empty() || section.find_first_of(std::string_view("]\r\n\0", 4)) != std::string_view::npos ||
      endsInLeadByte(section))
    return false;
  if (path.empty()) return false;

  // Write through a symbolic link to the file it names.
  std::string target = path;
  struct stat lst {};
  if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      target = real;
      ::free(real);
    }
  }

  const DirectoryLock lock(directoryOf(target));
  std::string content;
  struct stat st {};
  const struct stat* existing = nullptr;
  switch (readWholeFile(target, content)) {
    case ReadResult::ok:
      if (::stat(target.c_str(), &st) != 0) return false;
      existing = &st;
      break;
    case ReadResult::missing:
      break;
    case ReadResult::failed:
      return false;  // never replace what we could not read
  }
  return replaceFile(target, replaceSection(content, section, pairs), existing);
}

}  // namespace jinro::profile
