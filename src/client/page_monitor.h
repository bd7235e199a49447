#pragma once
// Follows the game from page to page and acts on what each page says: the
// window's caption, the alarms of the phases and events, the capacity notice
// and alarm, the day's log at nightfall and at the game's end, and what the
// next refresh posts.
#include <memory>

#include "client/alarm_player.h"
#include "client/auto_refresh.h"
#include "client/log_launcher.h"
#include "page/page_reading.h"
#include "platform/client_shell.h"
#include "settings/settings.h"

namespace jinro {

enum class Phase { day, night };

// How the page that was just read is to be shown.
struct PageView {
  bool keepScroll = false;  // the same game page again: keep the scroll position
  bool speechCopy = false;  // a daytime game page: its speeches can be copied
};

class PageMonitor {
 public:
  PageMonitor(ClientShell& shell, AlarmPlayer& alarms, AutoRefresh& refresh, LogLauncher& logs,
              const Settings& settings);

  PageView analysePage(const PageReading& page, bool reverseRows);

  // Back to the start page: the game is followed afresh.
  void reset();

  bool gameOver() const { return gameOver_; }
  std::optional<Phase> lastPhase() const { return lastPhase_; }

 private:
  void soundCapacityAlarmIfFull(bool lobbyFull);
  void playUnlessCurrent(AlarmKind kind);

  ClientShell& shell_;
  AlarmPlayer& alarms_;
  AutoRefresh& refresh_;
  LogLauncher& logs_;
  const Settings& settings_;
  std::optional<Phase> lastPhase_;
  bool gameOver_ = false;
  bool awaitingFirstGamePage_ = true;
  bool capacityNoticePending_ = true;
  // Lets a notice closed after this monitor is gone do nothing.
  std::shared_ptr<PageMonitor*> self_ = std::make_shared<PageMonitor*>(this);
};

}  // namespace jinro
