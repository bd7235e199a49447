#pragma once
// The dialects of pages that game servers speak. A dialect is data: the texts
// by which its game pages are known, the form a refresh posts, how its lobby
// states capacity and players, where its speech table stands, which links it
// writes relative, and the lines of its own that tell an event. A server that
// speaks another dialect is another table here, not new code.
//
// Texts are Shift_JIS, as pages are matched in it; they are written here in
// UTF-8 and converted once.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/alarm_kind.h"
#include "settings/settings.h"

namespace jinro {

enum class Dialect {
  standard,    // "行動/更新" and "再表示", the password in every form
  script2004,  // the public cgi_jinro.cgi of 2004.02.02a
};

// A number the lobby page states.
struct LobbyCount {
  enum class Kind {
    afterMarker,  // the number between the marker and the next "人"
    cellsMarked,  // how many times the marker stands in the page
    fixed,        // always `value`
  };
  Kind kind = Kind::fixed;
  std::string marker;
  bool skipOneSpace = false;  // afterMarker: a space right after the marker is stepped over
  long value = 0;
};

// A relative link made absolute where the page is shown from memory: the
// first `head` Q `tail` (Q a double quote, else a single quote, else nothing)
// becomes `head` Q base `tail`, `times` times.
struct LinkFix {
  std::string head;
  std::string tail;
  int times = 1;
  bool onlyWhenGameOver = false;
};

struct DialectTable {
  Dialect id = Dialect::standard;

  // A page that holds any of these is a game page of the dialect; within
  // its first `markersWithin` bytes when that is not 0 (a page of another
  // dialect is then told in a glance, not a search of the whole page).
  std::vector<std::string> gamePageMarkers;
  size_t markersWithin = 0;

  // What a refresh posts: `actionFields` first when the page holds
  // `actionMarker` (always, when that is empty), then each login control's
  // name, "=" and its value as the page holds it, joined by "&".
  std::string actionMarker;
  std::string actionFields;
  std::vector<std::string> loginControls;

  // The lobby of the day before the game.
  LobbyCount capacity;
  LobbyCount living;

  // Lines of the dialect's own that tell an event, beside the player's
  // trigger texts (which hold on every dialect).
  std::vector<std::pair<AlarmKind, std::string>> ownTriggers;

  // The speech table (row reversal): the first "<table" after the anchor.
  std::string tableAnchor;
  // The speeches copied: the markers searched in turn, each from the end of
  // the one before; the copy starts `startSkip` bytes into the last.
  std::vector<std::string> copyStart;
  size_t startSkip = 0;
  // It ends at the first of these found (tried in order) after its start;
  // with `endBackTo`, at the last such text before that.
  std::vector<std::string> copyEnd;
  std::vector<std::string> copyEndReversed;
  std::string endBackTo;

  // Links: the server base URL inserted before the page's first
  // "cgi_jinro.cgi" (a page whose form names it relatively), then every
  // "./" replaced by it, then the fixes in order.
  bool baseBeforeFirstCgi = false;
  std::vector<LinkFix> linkFixes;

  // The dialect's own text for the kind's event, if it has one.
  std::string_view ownTrigger(AlarmKind kind) const;
};

const DialectTable& dialectTable(Dialect dialect);

// The dialects a page may be in under the player's choice, in the order in
// which they are tried.
std::span<const DialectTable* const> candidateDialects(ServerKind choice);

// The dialect by whose rules a page that is no game page is read: the one
// chosen, or the standard one.
const DialectTable& fallbackDialect(ServerKind choice);

}  // namespace jinro
