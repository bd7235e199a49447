#include "settings/window_geometry.h"

#include "settings/settings.h"

namespace jinro {

WindowGeometry loadWindowGeometry() {
  WindowPlacement p;
  loadWindowPlacement(p);
  WindowGeometry g;
  g.left = p.rcNormalLeft;
  g.top = p.rcNormalTop;
  // The file's numbers are 32-bit; their difference may not be.
  const auto extent = [](int32_t from, int32_t to) {
    const int64_t d = int64_t{to} - int64_t{from};
    return static_cast<int>(d < INT32_MIN ? INT32_MIN : d > INT32_MAX ? INT32_MAX : d);
  };
  g.width = extent(p.rcNormalLeft, p.rcNormalRight);
  g.height = extent(p.rcNormalTop, p.rcNormalBottom);
  g.state = p.showCmd == SW_SHOWMAXIMIZED   ? WindowGeometry::State::maximized
            : p.showCmd == SW_SHOWMINIMIZED ? WindowGeometry::State::minimized
                                            : WindowGeometry::State::normal;
  g.maximizedUnderMinimized =
      g.state == WindowGeometry::State::minimized && (p.flags & WPF_RESTORETOMAXIMIZED) != 0;
  return g;
}

Result<void> saveWindowGeometry(const WindowGeometry& g) {
  WindowPlacement p;
  loadWindowPlacement(p);
  using State = WindowGeometry::State;
  p.showCmd = g.state == State::maximized   ? SW_SHOWMAXIMIZED
              : g.state == State::minimized ? SW_SHOWMINIMIZED
                                            : SW_SHOWNORMAL;
  p.flags &= ~WPF_RESTORETOMAXIMIZED;
  if (g.state == State::maximized || (g.state == State::minimized && g.maximizedUnderMinimized))
    p.flags |= WPF_RESTORETOMAXIMIZED;
  const auto clamp32 = [](int64_t v) {
    return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
  };
  p.rcNormalLeft = g.left;
  p.rcNormalTop = g.top;
  p.rcNormalRight = clamp32(int64_t{g.left} + g.width);
  p.rcNormalBottom = clamp32(int64_t{g.top} + g.height);
  return saveWindowPlacement(p);
}

}  // namespace jinro
