#include "client/village_archive.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/bounded_file.h"

namespace jinro {

namespace {

namespace fs = std::filesystem;

constexpr size_t kFolderNameLimit = 64;
constexpr size_t kVillageDigitsLimit = 9;

bool isSafe(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
         c == '_';
}

// The length of the valid UTF-8 sequence at `at`, 0 when there is none.
size_t utf8SequenceAt(std::string_view s, size_t at) {
  const auto b = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char c = b(at);
  if (c < 0x80) return 1;
  size_t n = 0;
  uint32_t cp = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (at + n > s.size()) return 0;
  for (size_t i = 1; i < n; ++i) {
    if ((b(at + i) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(at + i) & 0x3F);
  }
  const bool overlong = (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000);
  if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

// The text with every byte that is not part of valid UTF-8 as U+FFFD; false
// in `valid` when there was one. A sequence cut by the end stays out.
std::string asUtf8(std::string_view bytes, bool cutAtEnd, bool& valid) {
  std::string out;
  out.reserve(bytes.size());
  valid = true;
  for (size_t at = 0; at < bytes.size();) {
    const size_t n = utf8SequenceAt(bytes, at);
    if (n > 0) {
      out.append(bytes, at, n);
      at += n;
      continue;
    }
    // The last few bytes of a file cut short may be the start of a character.
    if (cutAtEnd && bytes.size() - at < 4) break;
    out += "\xEF\xBF\xBD";
    valid = false;
    ++at;
  }
  return out;
}

}  // namespace

std::string safeFolderName(std::string_view raw) {
  std::string name;
  for (const char c : raw.substr(0, kFolderNameLimit)) name.push_back(isSafe(static_cast<unsigned char>(c)) ? c : '_');
  if (name.empty() || name == "." || name == "..") name = "_" + name;
  return name;
}

Result<VillageKey> villageKeyOf(std::string_view pageUrl, std::string_view villageNumber) {
  const bool digits = !villageNumber.empty() && villageNumber.size() <= kVillageDigitsLimit &&
                      std::all_of(villageNumber.begin(), villageNumber.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!digits) return fail("村番号が数字ではありません（" + std::string(villageNumber.substr(0, 32)) + "）");
  const size_t scheme = pageUrl.find("://");
  if (scheme == std::string_view::npos) return fail("ページのアドレスにサーバー名がありません");
  std::string_view host = pageUrl.substr(scheme + 3);
  host = host.substr(0, host.find_first_of("/?#"));
  if (const size_t at = host.rfind('@'); at != std::string_view::npos) host.remove_prefix(at + 1);
  if (host.empty()) return fail("ページのアドレスにサーバー名がありません");
  std::string hostName(host);
  std::replace(hostName.begin(), hostName.end(), ':', '_');
  // "007" and "7" are one village.
  const size_t first = std::min(villageNumber.find_first_not_of('0'), villageNumber.size() - 1);
  return VillageKey{safeFolderName(hostName), std::string(villageNumber.substr(first))};
}

Result<LoadedNotes> VillageArchive::loadNotes(const VillageKey& key) const {
  const std::string path = notesPath(key);
  Result<FileHead, FileReadError> head = readFileHead(path, kNotesReadLimit);
  if (!head) {
    if (head.error().fault == FileReadFault::missing) return LoadedNotes{};
    return fail(describe(head.error(), path));
  }
  LoadedNotes notes;
  bool valid = true;
  notes.text = asUtf8(head->bytes, head->cut, valid);
  if (head->cut) {
    notes.problem = "メモが大きすぎるため先頭の 1 MiB だけを読みました（元のファイルは notes-kept として残します）";
  } else if (!valid) {
    notes.problem = "メモが UTF-8 ではありません（元のファイルは notes-kept として残します）";
  }
  return notes;
}

Result<std::string> VillageArchive::makeFolder(const VillageKey& key) const {
  const std::string folder = folder_ + key.relative();
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec || !fs::is_directory(folder, ec)) {
    return fail("記録のフォルダー " + folder + " を作れません: " + (ec ? ec.message() : "not a folder"));
  }
  return folder;
}

Result<void> VillageArchive::keepAside(const VillageKey& key) const {
  const std::string from = notesPath(key);
  for (int n = 1; n < 1000; ++n) {
    const std::string to = folder_ + key.relative() + "notes-kept-" + std::to_string(n) + ".txt";
    struct stat st;
    if (lstat(to.c_str(), &st) == 0) continue;
    if (std::rename(from.c_str(), to.c_str()) != 0) return fail("cannot move " + from + ": " + std::strerror(errno));
    return {};
  }
  return fail("no free name beside " + from);
}

std::vector<ArchivedVillage> VillageArchive::list() const {
  struct Found {
    ArchivedVillage village;
    fs::file_time_type newest;
  };
  std::vector<Found> found;
  std::error_code ec;
  for (const fs::directory_entry& host : fs::directory_iterator(folder_, ec)) {
    if (!host.is_directory(ec)) continue;
    std::error_code inner;
    for (const fs::directory_entry& village : fs::directory_iterator(host.path(), inner)) {
      if (!village.is_directory(inner)) continue;
      Found f{{host.path().filename().string(), village.path().filename().string(), {}}, {}};
      std::error_code files;
      for (const fs::directory_entry& file : fs::directory_iterator(village.path(), files)) {
        const std::string name = file.path().filename().string();
        int day = 0;
        char tail = 0;
        if (std::sscanf(name.c_str(), "day-%d.htm%c", &day, &tail) != 2 || tail != 'l' || day <= 0) continue;
        if (name != "day-" + std::to_string(day) + ".html") continue;
        f.village.days.push_back({day, file.path().string()});
        f.newest = std::max(f.newest, file.last_write_time(files));
      }
      if (f.village.days.empty()) continue;
      std::sort(f.village.days.begin(), f.village.days.end(),
                [](const ArchivedDay& a, const ArchivedDay& b) { return a.day > b.day; });
      found.push_back(std::move(f));
    }
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.newest > b.newest; });
  std::vector<ArchivedVillage> out;
  for (Found& f : found) out.push_back(std::move(f.village));
  return out;
}

}  // namespace jinro
