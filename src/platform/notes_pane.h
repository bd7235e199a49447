#pragma once
// The pane beside the page where the player keeps notes on the village.
#include <string_view>

namespace jinro {

class NotesPane {
 public:
  virtual ~NotesPane() = default;
  // The notes of the village now followed (UTF-8), in place of what the pane
  // held; `village` names it for the player.
  virtual void showNotes(std::string_view text, std::string_view village) = 0;
  // A line added at the end of the notes (a quoted speech).
  virtual void appendNotesLine(std::string_view line) = 0;
  // An edit still waiting for the player's pause is handed on now (before
  // the notes of another village replace it).
  virtual void flushNotesEdit() = 0;
};

}  // namespace jinro
