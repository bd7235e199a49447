#pragma once
// What the client needs of its main window: the caption, the state of the
// commands, the window's place on the screen, and whether the player is at it.
#include <string_view>

#include "platform/command.h"
#include "settings/window_geometry.h"

namespace jinro {

class GameWindow {
 public:
  virtual ~GameWindow() = default;
  // Caption from the page's title, UTF-8.
  virtual void setCaption(std::string_view title) = 0;
  virtual void setCommandEnabled(Command command, bool enabled) = 0;
  virtual void setCommandChecked(Command command, bool checked) = 0;
  virtual void minimize() = 0;
  // Top-left corner to screen (0, 0), size kept, shown and raised.
  virtual void moveToTopLeft() = 0;
  // The window's geometry now (the normal frame's rectangle on screen, the
  // state), and applying one.
  virtual WindowGeometry windowGeometry() = 0;
  virtual void applyWindowGeometry(const WindowGeometry& geometry) = 0;
  // Whether the main window is the active one, the one the player works in.
  virtual bool isWindowActive() = 0;
  // Asks the desktop to draw the player to the window (its taskbar entry
  // flashes or is marked) until the player comes to it.
  virtual void requestAttention() = 0;
};

}  // namespace jinro
