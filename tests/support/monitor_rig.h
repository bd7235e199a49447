#pragma once
// A page monitor and the components it drives, on fakes: for measuring and
// fuzzing the reading of pages and what follows from it.
#include <string>

#include "client/alarm_player.h"
#include "client/auto_refresh.h"
#include "client/log_launcher.h"
#include "client/page_loader.h"
#include "client/page_monitor.h"
#include "fakes/fakes.h"

namespace jinro::fake {

struct MonitorRig {
  // folder (ending in '/') holds the sounds and receives tmp.html.
  MonitorRig(const Settings& settings, const std::string& folder)
      : loader(desktop.browser),
        alarms(desktop.sound, settings, folder),
        refresh(desktop.timer, loader, settings),
        logs(desktop.launcher, folder),
        monitor(desktop.shell, alarms, refresh, logs, settings) {}
  FakeDesktop desktop;
  PageLoader loader;
  AlarmPlayer alarms;
  AutoRefresh refresh;
  LogLauncher logs;
  PageMonitor monitor;
};

}  // namespace jinro::fake
