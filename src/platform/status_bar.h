#pragma once
// The fields at the main window's foot, in UTF-8.
#include <cstdint>
#include <string_view>

namespace jinro {

class StatusBar {
 public:
  virtual ~StatusBar() = default;
  // A lasting condition the player should know of (an alarm whose sound file
  // cannot play); "" clears it.
  virtual void showStatusText(std::string_view text) = 0;
  // The game's state the client recognised on the last page ("2日目 昼",
  // "人狼勝利"); "" when it said nothing.
  virtual void showGameStatus(std::string_view text) = 0;
  // Automatic refresh's repeating countdown started now, a full interval of
  // this many milliseconds to the first tick; 0: automatic refresh is off.
  virtual void showRefreshCountdown(uint64_t intervalMilliseconds) = 0;
  // A tick came while the player was typing: the refresh waits for a pause.
  virtual void showRefreshWaiting(bool waiting) = 0;
  // Automatic refresh is on but pauses: the page shown is no game page and
  // cannot be asked for again, and there was no game page to go back to.
  virtual void showRefreshPaused(bool paused) = 0;
  // A page loaded now (true), or the last load failed (false).
  virtual void showPageLoad(bool loaded) = 0;
};

}  // namespace jinro
