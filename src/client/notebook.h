#pragma once
// The player's notebook: the notes of the village being followed, kept per
// server and village and saved in the background as the player writes, and
// a copy of every day's log the client shows.
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "client/village_archive.h"
#include "platform/file_writer.h"
#include "platform/notes_pane.h"

namespace jinro {

class Notebook {
 public:
  Notebook(std::string villagesFolder, FileWriter& writer, NotesPane& pane);

  // Called with a line for the status bar when something cannot be kept
  // (each reason once in a run).
  void onProblem(std::function<void(const std::string&)> handler) { problem_ = std::move(handler); }

  // A game page of the village its form names: a village other than the one
  // followed brings its own notes into the pane (an empty page for a new one).
  void pageOfVillage(std::string_view pageUrl, std::string_view villageNumber);
  // What the pane holds after the player's edit: saved in the background.
  void edited(std::string text);
  // A speech quoted from the page: a line at the end of the notes.
  void quote(std::string_view line);
  // The day's log of the village followed, as tmp.html holds it.
  void keepDayLog(int day, std::string bytes);

  const std::optional<VillageKey>& village() const { return village_; }
  const VillageArchive& archive() const { return archive_; }

 private:
  // The village's folder, made when missing; nothing when it cannot be.
  std::optional<std::string> folder();
  void tell(const std::string& problem);

  VillageArchive archive_;
  FileWriter& writer_;
  NotesPane& pane_;
  std::optional<VillageKey> village_;
  bool keepAsideFirst_ = false;  // the notes file could not be read whole
  std::set<std::string> told_;
  std::function<void(const std::string&)> problem_;
};

}  // namespace jinro
