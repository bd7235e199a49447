#pragma once
// The scenarios a village can be started with: how many villagers, which
// phase, how the game ends, and the hostile pages for hardening tests.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dialect.h"
#include "game.h"
#include "text.h"

namespace village {

// Pages that replace every game page, to try the client's limits.
enum class Hostile { None, Huge, RandomBytes, Rows, Nested, SelfNavigate, OpensWindows };

struct Scenario {
  const char* name;
  const char* description;
  int capacity;
  int villagers;  // joined at the start, the player among them
  int playerNo;  // the player's 番地 (password "pass"), 0 for none
  Role playerRole;
  bool started;  // the game has begun (day 1)
  int steps;  // advances made at the start, after the game began
  Winner forcedWinner;
  bool spaceBeforeLiving;
  Encoding encoding;
  Hostile hostile;
  size_t pageBytes = 0;  // game pages padded to about this size (PageOptions::padToBytes), 0 for none
  bool in2004 = false;  // also played in the 2004 script's dialect
  int forcedAtExecution = 1;  // the execution at which forcedWinner takes the game
};

bool availableIn(const Scenario& s, Dialect d);

inline constexpr const char* kPlayerPass = "pass";

const std::vector<Scenario>& allScenarios();
const Scenario* findScenario(std::string_view name);
const Scenario* findScenario(std::string_view name, Dialect d);  // nullptr when not played in d

// The hostile page of a scenario in Shift_JIS. Its FORMID value is
// kFormIdPlaceholder, for the sender to fill in.
inline constexpr const char* kFormIdPlaceholder = "@FORMID@";
std::string hostilePage(Hostile kind, int villageNo);

}  // namespace village
