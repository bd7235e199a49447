#pragma once
// What a completed page says about the game, read without acting on it: the
// client decides what follows (alarms, refresh, viewer, boxes). Texts are
// Shift_JIS bytes as the page holds them.
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

struct PageReading {
  // A page without a title says nothing; every other field is then empty.
  bool titled = false;
  std::string caption;  // the title, at most 255 bytes
  std::string url;      // the page's address, at most 1,023 bytes

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
// bytes) with the trigger texts of the settings, in the dialect the page
// shows among those the settings' server kind allows.
PageReading readPage(const Settings& settings, std::string_view pageText, std::string_view pageUrl);

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
