#pragma once
// The client's desktop made of one set of fakes.
#include "client/client.h"
#include "fakes/fakes.h"

namespace jinro::fake {

inline Desktop desktopOf(FakeDesktop& f) {
  return {f.window, f.statusBar, f.notices, f.sound,    f.browser,  f.timer,
          f.clipboard, f.launcher, f.sweeper, f.notesPane, f.writer};
}

}  // namespace jinro::fake
