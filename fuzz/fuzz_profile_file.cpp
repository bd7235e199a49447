// The settings file reader and writer. For any content, section name and
// pairs, replaceSection gives exactly this (worked out here independently):
//   - the bytes before the first section header, unchanged;
//   - every section of another name (header line up to the next header
//     line), unchanged and in its place;
//   - in place of the first section of that name (names compared after
//     trimming blanks, ASCII case folded, double-byte characters exact): the
//     new block "[name]\r\n" + "key=value\r\n" per pair (each cut at its
//     first CR, LF or zero byte), then the blank lines that ended the old
//     section; later sections of that name dropped;
//   - with no such section, the content, "\r\n" when it does not end a line,
//     and the block.
// Read back, the section holds the pairs' keys with their values (the first
// of equal keys counts). A few of the inputs also go through writeSection and
// a real file, which must then hold the same bytes.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/code_page.h"
#include "settings/profile_file.h"

namespace {

void fail(const char* what) {
  std::fprintf(stderr, "profile file: %s\n", what);
  std::abort();
}

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool lead(char c) { return jinro::isLeadByte(static_cast<unsigned char>(c)); }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lead(a[i]) && i + 1 < a.size()) {
      if (a.substr(i, 2) != b.substr(i, 2)) return false;
      ++i;
    } else if (lower(a[i]) != lower(b[i])) {
      return false;
    }
  }
  return true;
}

// A line: its text without the break, and the whole of it with the break.
struct Line {
  std::string_view text;
  std::string_view whole;
};

std::vector<Line> splitLines(std::string_view s) {
  std::vector<Line> lines;
  size_t pos = 0;
  while (pos < s.size()) {
    size_t e = s.find_first_of("\r\n", pos);
    if (e == std::string_view::npos) e = s.size();
    size_t next = e;
    if (next < s.size()) next += (s[next] == '\r' && next + 1 < s.size() && s[next + 1] == '\n') ? 2 : 1;
    lines.push_back({s.substr(pos, e - pos), s.substr(pos, next - pos)});
    pos = next;
  }
  return lines;
}

// The section name a line opens, if it opens one.
bool header(std::string_view line, std::string_view& name) {
  const std::string_view t = line.substr(std::min(line.size(), line.find_first_not_of(" \t\r\v\f")));
  if (t.empty() || t[0] != '[') return false;
  size_t close = std::string_view::npos;
  for (size_t i = 1; i < t.size(); ++i) {
    if (lead(t[i]) && i + 1 < t.size()) {
      ++i;
    } else if (t[i] == ']') {
      close = i;
    }
  }
  if (close == std::string_view::npos) return false;
  name = trim(t.substr(1, close - 1));
  return true;
}

struct Sections {
  std::string prefix;  // before the first header (byte order mark included)
  struct Section {
    std::string_view name;
    std::string text;       // all of it
    std::string blankTail;  // the blank lines that end it
  };
  std::vector<Section> list;
};

Sections splitSections(std::string_view content) {
  Sections out;
  std::string_view body = content;
  if (body.starts_with("\xEF\xBB\xBF")) {
    out.prefix = "\xEF\xBB\xBF";
    body.remove_prefix(3);
  }
  for (const Line& line : splitLines(body)) {
    std::string_view name;
    if (header(line.text, name)) {
      out.list.push_back({name, std::string(line.whole), {}});
      continue;
    }
    if (out.list.empty()) {
      out.prefix += line.whole;
      continue;
    }
    Sections::Section& sec = out.list.back();
    sec.text += line.whole;
    if (trim(line.text).empty()) {
      sec.blankTail += line.whole;
    } else {
      sec.blankTail.clear();
    }
  }
  return out;
}

std::string_view cut(std::string_view s) { return s.substr(0, std::min(s.find_first_of(std::string_view("\r\n\0", 3)), s.size())); }

// What writeSection accepts as a section name: one whose header line is one.
bool acceptedName(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) i += lead(s[i]) ? 2 : 1;
  return !trim(s).empty() && s.find_first_of(std::string_view("]\r\n\0", 4)) == std::string_view::npos &&
         i == s.size();
}

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    // In memory where there is such a file system: the writer flushes.
    static char d[] = "/dev/shm/jinro-fuzz-ini-XXXXXX";
    static char t[] = "/tmp/jinro-fuzz-ini-XXXXXX";
    static const char* made = mkdtemp(d);
    if (!made) made = mkdtemp(t);
    if (!made) std::abort();
    std::atexit([] {
      for (const char* f : {"/jinro.ini", "/refused.ini"}) unlink((std::string(made) + f).c_str());
      rmdir(made);
    });
    return std::string(made);
  }();

  // The op bytes that send an input through a real file as well (rarely:
  // that is slow).
  constexpr uint8_t kFileOps = 0x15;  // op >> 3
  FuzzedDataProvider in(data, size);
  const uint8_t op = in.ConsumeIntegral<uint8_t>();
  static const char* const kNames[] = {"ZENPAN", "SOUND1", "SOUND2", "SOUND3", "WINDOW_PLACEMENT", " sound1 "};
  std::string section = (op & 7) < 6 ? kNames[op & 7] : in.ConsumeRandomLengthString(12);
  jinro::KeyValueList pairs;
  const size_t count = in.ConsumeIntegralInRange<size_t>(0, 6);
  for (size_t i = 0; i < count; ++i) {
    std::string k = in.ConsumeRandomLengthString(12);
    std::string v = in.ConsumeRandomLengthString(24);
    pairs.emplace_back(std::move(k), std::move(v));
  }
  const std::string content = in.ConsumeRemainingBytesAsString();

  // Reading anything: values within their buffers.
  const jinro::profile::Document original = jinro::profile::Document::parse(content);
  for (size_t buffer : {0, 1, 2, 30, 260}) {
    if (original.readString(section, "URL_frame", "default", buffer).size() + (buffer ? 1 : 0) > std::max<size_t>(buffer, 1))
      fail("value longer than its buffer");
  }
  (void)original.readInt(section, "night_sound_roop_check", 7);

  if (!acceptedName(section)) {
    // Refused, and the file left alone.
    if ((op >> 3) == kFileOps) {
      const std::string path = dir + "/refused.ini";
      {
        std::ofstream f(path, std::ios::binary | std::ios::trunc);
        f << content;
      }
      if (jinro::profile::writeSection(section, pairs, path)) fail("writeSection took a name it cannot read back");
      if (slurp(path) != content) fail("a refused write changed the file");
    }
    return 0;
  }
  const std::string written = jinro::profile::replaceSection(content, section, pairs);

  // The bytes, exactly.
  std::string block = "[" + section + "]\r\n";
  for (const auto& [k, v] : pairs) block.append(cut(k)).append("=").append(cut(v)).append("\r\n");
  const Sections before = splitSections(content);
  const std::string_view wanted = trim(section);
  std::string expected = before.prefix;
  bool replaced = false;
  for (const auto& sec : before.list) {
    if (!sameName(sec.name, wanted)) {
      expected += sec.text;
    } else if (!replaced) {
      expected += block + sec.blankTail;
      replaced = true;
    }
  }
  if (!replaced) {
    const size_t bom = content.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    if (content.size() > bom && content.back() != '\n' && content.back() != '\r')
      expected += "\r\n";
    expected += block;
  }
  if (written != expected) fail("the written content is not the old one with the section replaced");

  // Read back: every key of the section, first one counting. A key that
  // itself looks like a section header ends the section there.
  const jinro::profile::Document after = jinro::profile::Document::parse(written);
  std::string_view ourName;
  if (!header("[" + section + "]", ourName)) fail("the section's own header is not one");
  std::vector<std::pair<std::string, std::string>> entries;
  for (const auto& [k, v] : pairs) {
    const std::string line = std::string(cut(k)) + "=" + std::string(cut(v));
    std::string_view ignored;
    if (header(line, ignored)) break;
    const size_t eq = line.find('=');
    entries.emplace_back(std::string(trim(std::string_view(line).substr(0, eq))),
                         std::string(trim(std::string_view(line).substr(eq + 1))));
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    bool first = true;
    for (size_t j = 0; j < i && first; ++j) first = !sameName(entries[j].first, entries[i].first);
    if (!first) continue;
    const auto got = after.find(section, entries[i].first);
    if (!got || *got != entries[i].second) fail("a written key does not read back");
  }

  // Now and then through a real file.
  if ((op >> 3) == kFileOps) {
    const std::string path = dir + "/jinro.ini";
    {
      std::ofstream f(path, std::ios::binary | std::ios::trunc);
      f << content;
    }
    if (!jinro::profile::writeSection(section, pairs, path)) fail("writeSection failed");
    if (slurp(path) != written) fail("the file differs from replaceSection");
  }
  return 0;
}
