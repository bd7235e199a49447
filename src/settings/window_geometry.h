#pragma once
// The main window's place on the screen as the program keeps it: the frame's
// rectangle in the normal state, and whether the window is minimised or
// maximised. jinro.ini stores it in the shape of a Windows placement record;
// the conversion lives here and nowhere else.
#include <cstdint>

#include "base/result.h"

namespace jinro {

struct WindowGeometry {
  enum class State { normal, minimized, maximized };
  // The frame's rectangle on screen in the normal state.
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  State state = State::normal;
  // Minimised from the maximised state: restored, it is maximised again.
  bool maximizedUnderMinimized = false;

  bool operator==(const WindowGeometry&) const = default;
};

// The geometry saved in jinro.ini (its defaults where a key is absent).
WindowGeometry loadWindowGeometry();
// Saves the geometry; what the file holds beside it (the minimised and
// maximised positions, other flags) is kept as it stands. A failed save
// leaves the old file whole and says why.
Result<void> saveWindowGeometry(const WindowGeometry& geometry);

}  // namespace jinro
