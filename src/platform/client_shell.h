#pragma once
// What the client needs of its main window: the caption, the state of the
// commands, notices, the window's state and the dialogs.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/command.h"
#include "settings/settings.h"
#include "settings/window_geometry.h"

namespace jinro {

enum class MessageIcon { none, information, error };

struct Notice {
  std::string text;     // UTF-8
  std::string caption;  // UTF-8
  MessageIcon icon = MessageIcon::none;
};

class ClientShell {
 public:
  virtual ~ClientShell() = default;
  // Caption from the page's title, UTF-8.
  virtual void setCaption(std::string_view title) = 0;
  virtual void setCommandEnabled(Command command, bool enabled) = 0;
  virtual void setCommandChecked(Command command, bool checked) = 0;
  // A message box owned by the main window. It returns at once; `closed`
  // runs when the player has dismissed it. Pages, timer ticks and sound
  // notices go on while it is shown.
  virtual void showNotice(const Notice& notice, std::function<void()> closed = {}) = 0;
  virtual void minimize() = 0;
  // Top-left corner to screen (0, 0), size kept, shown and raised.
  virtual void moveToTopLeft() = 0;
  // Starts the closing sequence (as the close box does).
  virtual void requestClose() = 0;
  virtual void openGeneralSettings() = 0;
  virtual void openSoundSettings() = 0;
  virtual void showVersion() = 0;
  // The window's geometry now (the normal frame's rectangle on screen, the
  // state), and applying one.
  virtual WindowGeometry windowGeometry() = 0;
  virtual void applyWindowGeometry(const WindowGeometry& geometry) = 0;
  // Opens a file with the desktop's default program.
  virtual void openWithDesktop(const std::string& path) = 0;
  // A line at the window's foot for a lasting condition the player should
  // know of (an alarm whose sound file cannot play), UTF-8; "" clears it.
  virtual void showStatusText(std::string_view text) = 0;

  // The status bar's other fields. The game's state the client recognised
  // on the last page, UTF-8 ("2日目 昼", "人狼勝利"); "" when it said nothing.
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

  // Whether the main window is the active one, the one the player works in.
  virtual bool isWindowActive() = 0;
  // Asks the desktop to draw the player to the window (its taskbar entry
  // flashes or is marked) until the player comes to it.
  virtual void requestAttention() = 0;
};

}  // namespace jinro
