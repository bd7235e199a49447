#pragma once
// What a completed page says about the game, read without acting on it: the
// client decides what follows (alarms, refresh, viewer, boxes). The page is
// read as the Shift_JIS bytes it is; what leaves this layer as text for the
// player or the browser (the caption, the address) is UTF-8, while the
// login values and the refresh body stay the page's bytes, as they are posted.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "page/dialect.h"
#include "settings/alarm_kind.h"
#include "settings/settings.h"

namespace jinro {

// The values of the login form's controls, in the order in which the page's
// dialect names them in the refresh body.
using LoginValues = std::vector<std::string>;

// What of the settings a page is read with: the player's trigger texts in
// the page's encoding (each up to its first zero byte), and the server kind
// that says which dialects a page may be in. Built once for each load of the
// settings, so that no page pays for converting them.
struct PageTriggers {
  std::array<std::string, kAlarmKindCount> triggers;  // by index(kind): the kinds with one text
  std::string nightLeft;
  std::string nightMiddle;
  std::string nightRight;
  ServerKind serverKind = ServerKind::automatic;

  const std::string& trigger(AlarmKind kind) const { return triggers[index(kind)]; }
  bool operator==(const PageTriggers&) const = default;
};
PageTriggers pageTriggersFrom(const Settings& settings);

struct PageReading {
  // A page without a title says nothing; every other field is then empty.
  bool titled = false;
  std::string caption;  // the title (at most 255 bytes of the page), UTF-8
  std::string url;      // the page's address (at most 1,023 bytes in the page's encoding), UTF-8

  // The day before the game (">事件前日<"), with the lobby's capacity and
  // the players living so far; 0 where the page does not say.
  bool preDay = false;
  long capacity = 0;
  long living = 0;

  // A game page shows what its dialect's game pages show (the action or the
  // redisplay button, the villagers' grid).
  bool gamePage = false;
  std::optional<Dialect> dialect;  // game pages: the dialect they were read in
  // Any other page: whether it is the registration form.
  bool registrationOpen = false;

  // Game pages only.
  LoginValues loginValues;
  std::string postBody;  // the form data a refresh posts, at most 1,023 bytes
  std::optional<AlarmKind> event;  // a victory, the draw, voting or action time
  bool night = false;
  int day = 0;  // the day's number the page shows, 0 when none
  std::string village;  // the village number the login form carries, as the page holds it

  bool lobbyFull() const { return capacity > 0 && living > 0 && capacity == living; }
  bool operator==(const PageReading&) const = default;
};

// Reads the page's Shift_JIS text (up to its first zero byte and 511,999
// bytes) at its UTF-8 address with the trigger texts, in the dialect the page
// shows among those the server kind allows.
PageReading readPage(const PageTriggers& triggers, std::string_view pageText, std::string_view pageUrl);

// Victories and the draw end the game; voting and action time do not.
inline constexpr bool isGameEnd(AlarmKind k) {
  return k == AlarmKind::jinro || k == AlarmKind::hikiwake || k == AlarmKind::sonmin || k == AlarmKind::yoko ||
         k == AlarmKind::nekomata;
}

// The value of the named form control, at most 255 bytes, or "".
std::string extractFieldValue(std::string_view text, std::string_view controlName);

// Leading blanks, optional sign, digits; no digits give 0 (at most 255 bytes read).
long parseNumber(std::string_view text);

}  // namespace jinro
