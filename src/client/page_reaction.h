#pragma once
// What following the game makes of one page: everything the client is to do
// about it, decided before any of it is done.
#include <optional>
#include <string>
#include <vector>

#include "settings/alarm_kind.h"

namespace jinro {

// What the capacity alarm does on this page.
enum class CapacityStep {
  unchanged,
  stop,        // a page past the day before the game
  sound,       // the lobby is full: the alarm sounds and automatic refresh stops
  noticeFirst  // the player reads the notice first; the check waits for its close
};

// The next refresh asks for the game page again: its form posted to its address.
struct GamePageForm {
  std::string url;
  std::string postBody;
  bool operator==(const GamePageForm&) const = default;
};

// A page that is no game page, reached at this address.
struct OtherPage {
  std::string url;
  bool operator==(const OtherPage&) const = default;
};

struct PageReaction {
  // The window's caption (UTF-8); nothing for an untitled page.
  std::optional<std::string> caption;
  // The game's state as the status bar names it (UTF-8); "" when the page
  // says nothing of the game.
  std::string status;

  CapacityStep capacity = CapacityStep::unchanged;
  bool lobbyFull = false;  // as the page shows it (noticeFirst: checked when the notice closes)

  // A page outside the game: every alarm stops and none counts as sounding.
  bool silenceAlarms = false;
  // The alarms the page calls for, in order; each starts unless it sounds
  // already, and only while the sound is on.
  std::vector<AlarmKind> alarms;
  // The last day's log is written and shown (after the alarms).
  bool launchDayLog = false;

  // What the page gives the next refresh.
  std::optional<GamePageForm> gameForm;
  std::optional<OtherPage> otherPage;

  // How the page is shown.
  bool keepScroll = false;  // the same game page again: the scroll position is kept
  bool speechCopy = false;  // a daytime game page: its speeches can be copied
  bool gameOver = false;

  bool operator==(const PageReaction&) const = default;
};

}  // namespace jinro
