#pragma once
// Acts on every top-level window on the desktop whose window class (X11
// WM_CLASS class part) is exactly the given name, whoever started it.
#include <string_view>

namespace jinro {

enum class SweepKind { close, minimize, moveTopLeft };

class WindowSweeper {
 public:
  virtual ~WindowSweeper() = default;
  // Returns the number of windows acted on.
  virtual int sweep(SweepKind kind, std::string_view windowClass) = 0;
};

}  // namespace jinro
