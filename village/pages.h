#pragma once
// The village's pages, written the way the game writes them. Every function
// returns UTF-8 HTML whose meta tag declares `charset`; the caller encodes the
// page in that charset before it goes out.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "game.h"

namespace village {

struct PageOptions {
  const char* charset = "Shift_JIS";
  // The lobby writes "[生存中 N人" (true) or "[生存中N人" (false).
  bool spaceBeforeLiving = true;
  // When not 0, a game page's speech table starts with earlier speeches,
  // enough to make the page about this many bytes in Shift_JIS (a long day).
  size_t padToBytes = 0;
};

// The game page of the current phase: for a player (me non-null, with the
// "行動/更新" button) or for a spectator (me null, with "再表示").
std::string gamePage(const Game& game, const Villager* me, uint64_t formId, const PageOptions& opt);
// A day's log, shown by COMMAND=LOGVIEW (day 0 is the day before the game).
std::string logPage(const Game& game, int day, const PageOptions& opt);
// The registration form ("<B>村民登録書</B>"); notice is shown above it.
std::string registrationPage(const Game& game, std::string_view notice, const PageOptions& opt);
// index2.html: the entry without frames. The login form is filled in with
// the given villager number and password when presetNo is not 0.
std::string entryPage(const Game& game, int presetNo, std::string_view presetPass, const PageOptions& opt);
std::string framesetPage(const PageOptions& opt);
std::string indexPage(const PageOptions& opt);
std::string rulesPage(const PageOptions& opt);
std::string errorPage(std::string_view message, const PageOptions& opt);

// The head of every page up to and including <body ...>; night selects the
// night colours of the .CLSTD01 rule.
std::string pageHead(std::string_view title, bool night, const PageOptions& opt);

// The start of the speech table: the village's 番地 cell and the table tag.
std::string speechTableStart(int villageNo);
// One row of the speech table.
std::string speechRow(std::string_view color, std::string_view name, std::string_view textHtml);
// The closing row ("<td colspan=") and the end of the table.
std::string speechTableEnd(std::string_view footer);

}  // namespace village
