#include "client/notebook.h"

#include <cstdio>


namespace jinro {

Notebook::Notebook(std::string villagesFolder, FileWriter& writer, NotesPane& pane)
    : archive_(std::move(villagesFolder)), writer_(writer), pane_(pane) {}

void Notebook::tell(const std::string& problem) {
  if (!told_.insert(problem).second) return;
  std::fprintf(stderr, "jinro-client: %s\n", problem.c_str());
  if (problem_) problem_(problem);
}

void Notebook::pageOfVillage(std::string_view pageUrl, std::string_view villageNumber) {
  if (villageNumber.empty()) return;  // a page that names no village leaves the notes alone
  Result<VillageKey> key = villageKeyOf(pageUrl, villageNumber);
  if (!key) {
    tell(key.error());
    return;
  }
  if (village_ == *key) return;
  pane_.flushNotesEdit();  // the last words belong to the village left
  village_ = *key;
  keepAsideFirst_ = false;
  Result<LoadedNotes> notes = archive_.loadNotes(*key);
  if (!notes) {
    // Unreadable: shown empty, and kept aside before anything replaces it.
    keepAsideFirst_ = true;
    tell("メモを読めません: " + notes.error());
    pane_.showNotes("", key->host + " " + key->number + "村");
    return;
  }
  if (!notes->problem.empty()) {
    keepAsideFirst_ = true;
    tell(notes->problem);
  }
  pane_.showNotes(notes->text, key->host + " " + key->number + "村");
}

std::optional<std::string> Notebook::folder() {
  if (!village_) return std::nullopt;
  Result<std::string> made = archive_.makeFolder(*village_);
  if (!made) {
    tell(made.error());
    return std::nullopt;
  }
  if (keepAsideFirst_) {
    keepAsideFirst_ = false;
    if (Result<void> kept = archive_.keepAside(*village_); !kept) {
      // Better no save than the loss of what the file held.
      keepAsideFirst_ = true;
      tell("メモを保存できません: " + kept.error());
      return std::nullopt;
    }
  }
  return made.value();
}

void Notebook::edited(std::string text) {
  if (!folder()) return;
  writer_.write(archive_.notesPath(*village_), std::move(text), [this](Result<void> saved) {
    if (!saved) tell("メモを保存できません: " + saved.error());
  });
}

void Notebook::quote(std::string_view line) { pane_.appendNotesLine(line); }

void Notebook::keepDayLog(int day, std::string bytes) {
  if (!village_) return;
  if (day <= 0) {
    tell("日付の読めない記録は保存しません");
    return;
  }
  if (!folder()) return;
  writer_.write(archive_.dayLogPath(*village_, day), std::move(bytes), [this](Result<void> saved) {
    if (!saved) tell("記録を保存できません: " + saved.error());
  });
}

}  // namespace jinro
