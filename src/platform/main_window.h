#pragma once
// What the logic needs of the main window and its desktop: caption, toolbar
// and menu states, notices, window state, modal dialogs.
#include <string>
#include <string_view>

#include "settings/settings.h"

namespace jinro {

enum class MessageIcon { none, information, error };

class MainWindowPort {
 public:
  virtual ~MainWindowPort() = default;
  // Caption from the page's title, Shift_JIS bytes.
  virtual void setCaption(std::string_view shiftJisTitle) = 0;
  // TBSTATE_DISABLED (0), TBSTATE_ENABLED (4) or TBSTATE_CHECKED_ENABLED (6).
  virtual void setToolbarButtonState(int buttonId, int state) = 0;
  virtual void checkMenuItem(int itemId, bool checked) = 0;
  // Modal message box owned by the main window; texts in Shift_JIS. Timer
  // ticks, sound notices and browser events keep running while it is shown.
  virtual void showMessageBox(std::string_view shiftJisText, std::string_view shiftJisCaption,
                              MessageIcon icon) = 0;
  virtual void minimize() = 0;
  // Top-left corner to screen (0, 0), size kept, shown and raised.
  virtual void moveToTopLeft() = 0;
  // Starts the closing sequence (as the close box does).
  virtual void requestClose() = 0;
  virtual void runGeneralSettingsDialog() = 0;
  virtual void runSoundSettingsSheet() = 0;
  virtual void showVersionBox() = 0;
  // The window's placement now (normal rectangle as the frame's rectangle on
  // screen; maximised and minimised states in showCmd), and applying one.
  virtual WindowPlacement placement() = 0;
  virtual void applyPlacement(const WindowPlacement& placement) = 0;
  // Opens a file with the desktop's default program.
  virtual void openWithDesktop(const std::string& path) = 0;
  // A line at the window's foot for a lasting condition the player should
  // know of (an alarm whose sound file cannot play), Shift_JIS; "" clears it.
  virtual void showStatusText(std::string_view shiftJisText) { (void)shiftJisText; }
};

}  // namespace jinro
