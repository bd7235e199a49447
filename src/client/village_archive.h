#pragma once
// What the client keeps of each village the player followed: the player's
// notes (notes.txt, UTF-8) and every day's log (day-<n>.html, Shift_JIS as
// tmp.html), in a folder per server and village under the villages folder.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace jinro {

// The folders' names of a village: its server's host (and port) and its
// number, each safe as one folder name.
struct VillageKey {
  std::string host;
  std::string number;
  std::string relative() const { return host + "/" + number + "/"; }
  bool operator==(const VillageKey&) const = default;
};

// A name that stays one folder inside its parent: letters, digits, '.', '-'
// and '_' kept, everything else '_', never "." or "..", at most 64 bytes.
std::string safeFolderName(std::string_view raw);

// The key of a page at `pageUrl` whose form names `villageNumber`; refused
// when the number is not one (ASCII digits, at most 9) or the address has no host.
Result<VillageKey> villageKeyOf(std::string_view pageUrl, std::string_view villageNumber);

inline constexpr size_t kNotesReadLimit = 1024 * 1024;

struct LoadedNotes {
  std::string text;  // UTF-8
  // What was wrong with the file, for the player ("" when nothing): then the
  // file is kept aside before the first save replaces it.
  std::string problem;
};

struct ArchivedDay {
  int day = 0;
  std::string path;
};

struct ArchivedVillage {
  std::string host;
  std::string number;
  std::vector<ArchivedDay> days;  // newest first
};

class VillageArchive {
 public:
  explicit VillageArchive(std::string villagesFolder) : folder_(std::move(villagesFolder)) {}

  const std::string& folder() const { return folder_; }
  std::string notesPath(const VillageKey& key) const { return folder_ + key.relative() + "notes.txt"; }
  std::string dayLogPath(const VillageKey& key, int day) const {
    return folder_ + key.relative() + "day-" + std::to_string(day) + ".html";
  }

  // The village's notes, "" when it has none yet. At most kNotesReadLimit
  // bytes are read; a longer file, or one not in UTF-8, is shown as far as it
  // goes (invalid bytes as U+FFFD) and named in `problem`.
  Result<LoadedNotes> loadNotes(const VillageKey& key) const;
  // The village's folder, made when missing.
  Result<std::string> makeFolder(const VillageKey& key) const;
  // Moves a notes file the client could not read whole out of the way
  // (notes-kept-<n>.txt beside it), so that saving never loses it.
  Result<void> keepAside(const VillageKey& key) const;

  // The villages with day logs, the most recently written first, their days
  // newest first.
  std::vector<ArchivedVillage> list() const;

 private:
  std::string folder_;
};

}  // namespace jinro
