#include "settings/profile_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <optional>

#include "base/bounded_file.h"
#include "base/code_page.h"
#include "base/durable_file.h"

namespace jinro::profile {

std::string directoryOf(const std::string& path) { return jinro::directoryOf(path); }

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

// The settings file's content, nothing when there is no such file, or why
// it could not be read (readFileBounded: never blocks on a FIFO or a device
// put in the file's place).
Result<std::optional<std::string>> readWholeFile(const std::string& path) {
  Result<std::string, FileReadError> content = readFileBounded(path, kMaxFileSize);
  if (content) return std::optional<std::string>(std::move(*content));
  const FileReadError& e = content.error();
  switch (e.fault) {
    case FileReadFault::missing:
      return std::optional<std::string>();
    case FileReadFault::cannotOpen:
      return fail("cannot read " + path + ": " + std::strerror(e.systemError));
    case FileReadFault::tooLarge:
      return fail(path + " is larger than " + std::to_string(kMaxFileSize >> 20) +
                  " MiB, too large for a settings file");
    case FileReadFault::notRegular:
    case FileReadFault::readFailed:
      break;
  }
  return fail(describe(e, path));
}

std::string_view cutAtLineBreak(std::string_view s) {
  size_t e = 0;
  while (e < s.size() && s[e] != '\r' && s[e] != '\n' && s[e] != '\0') ++e;
  return s.substr(0, e);
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
  Result<std::optional<std::string>> content = readWholeFile(path);
  if (!content || !*content) return Document();
  return parse(std::move(**content));
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

Result<void> writeSection(std::string_view section, const KeyValueList& pairs, const std::string& path) {
  if (path.empty()) return fail("cannot save a settings section: no file name given");
  const std::string refused = "cannot save a section to " + path + ": ";
  if (trim(section).empty()) return fail(refused + "its name is empty");
  if (section.find_first_of(std::string_view("]\r\n\0", 4)) != std::string_view::npos)
    return fail(refused + "its name holds a ']', a line break or a zero byte");
  if (endsInLeadByte(section)) return fail(refused + "its name ends in half a double-byte character");

  // Write through a symbolic link to the file it names, and lock that file's
  // folder rather than the link's.
  const std::string target = throughLink(path);

  const DirectoryLock lock(directoryOf(target));
  // Never replace what we could not read: its other sections would be lost.
  Result<std::optional<std::string>> content = readWholeFile(target);
  if (!content) return fail(content.error());
  const std::string_view old = *content ? std::string_view(**content) : std::string_view();
  DurableWriteOptions options;
  options.newFileMode = 0666;  // less the umask, as for any file a program creates
  return writeFileDurably(target, replaceSection(old, section, pairs), options);
}

}  // namespace jinro::profile
