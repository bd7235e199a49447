#pragma once
// Follows the game from page to page and decides what each page calls for:
// the window's caption, the alarms of the phases and events, the capacity
// notice and alarm, the day's log at nightfall and at the game's end, and
// what the next refresh posts. It does none of it: the client applies the
// reaction.
#include <cstdint>
#include <optional>

#include "client/page_reaction.h"
#include "page/page_reading.h"
#include "settings/settings.h"

namespace jinro {

enum class Phase { day, night };

class PageMonitor {
 public:
  explicit PageMonitor(const Settings& settings) : settings_(settings) {}

  PageReaction follow(const PageReading& page);

  // Back to the start page: the game is followed afresh.
  void reset();

  // Each return to the start page begins a new visit. A capacity notice
  // closed in a later visit than the one it was shown in speaks of a lobby
  // left behind.
  uint64_t visit() const { return visit_; }

  bool gameOver() const { return gameOver_; }
  std::optional<Phase> lastPhase() const { return lastPhase_; }

 private:
  PageReaction decide(const PageReading& page);

  const Settings& settings_;
  std::optional<Phase> lastPhase_;
  bool gameOver_ = false;
  bool awaitingFirstGamePage_ = true;
  bool capacityNoticePending_ = true;
  uint64_t visit_ = 0;
};

}  // namespace jinro
