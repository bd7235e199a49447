#include "app/command_handler.h"

#include <chrono>
#include <thread>

#include "app/save_failure_notice.h"
#include "browser/navigation.h"
#include "logs/speech_copy.h"
#include "monitor/alarm_player.h"
#include "platform/executable_dir.h"
#include "platform/main_window.h"
#include "platform/refresh_timer.h"
#include "platform/window_sweeper.h"
#include "settings/settings.h"

namespace jinro {

namespace {

// How long the closing sequence gives the viewers to close their windows.
constexpr auto kCloseWait = std::chrono::milliseconds(250);

void refresh(ClientController& c) {
  c.navigationUrl = c.currentUrl;
  navigateWithPost(c, c.navigationUrl);
}

void setButton(ClientController& c, int id, int state) {
  if (c.ports.shell) c.ports.shell->setToolbarButtonState(id, state);
}

void checkItem(ClientController& c, int id, bool checked) {
  if (c.ports.shell) c.ports.shell->checkMenuItem(id, checked);
}

void sweep(ClientController& c, SweepKind kind) {
  if (c.ports.sweeper) c.ports.sweeper->sweep(kind, kViewerWindowClass);
}

void toggleAutoRefresh(ClientController& c) {
  if (c.autoRefreshOn == 1) {
    setButton(c, ID_TB_AUTO_REFRESH, TBSTATE_ENABLED);
    c.autoRefreshOn = 0;
    c.sendMessage(WM_SET_AUTO_REFRESH, 0, 0);
    checkItem(c, IDM_AUTO_REFRESH, false);
  } else {
    setButton(c, ID_TB_AUTO_REFRESH, TBSTATE_CHECKED_ENABLED);
    c.autoRefreshOn = 1;
    c.sendMessage(WM_SET_AUTO_REFRESH, 0, 1);
    checkItem(c, IDM_AUTO_REFRESH, true);
  }
}

// Back to the start page with the monitoring state as a new controller has
// it. The sound switch, automatic refresh, reverse-row mode, the post body
// and the settings (the daytime alarm's loop flag included) stay as they are.
void returnToTop(ClientController& c) {
  AlarmPlayer(c).stopAllAlarms();
  c.lastPhase = kNone;
  c.currentAlarm = kNone;
  c.awaitingFirstGamePage = 1;
  c.gameOver = 0;
  c.savedScrollTop = 0;
  c.savedScrollLeft = 0;
  c.skipScrollSave = 1;
  c.capacityNoticePending = 1;
  for (auto& v : c.loginValues) v.clear();
  c.viewerProcesses.clear();
  c.timerRunning = 0;  // the timer itself is stopped by the toggle the start page causes
  c.navigationUrl = c.settings.startUrl;
  navigateWithPost(c, c.navigationUrl);
}

void minimizeAll(ClientController& c) {
  sweep(c, SweepKind::minimize);
  if (c.ports.shell) c.ports.shell->minimize();
}

void moveAllTopLeft(ClientController& c) {
  sweep(c, SweepKind::moveTopLeft);
  if (c.ports.shell) c.ports.shell->moveToTopLeft();
}

void command(ClientController& c, int id) {
  MainWindowPort* shell = c.ports.shell;
  switch (id) {
    case IDM_SOUND_ON:
      checkItem(c, IDM_SOUND_ON, true);
      checkItem(c, IDM_SOUND_OFF, false);
      AlarmPlayer(c).stopAllAlarms();
      c.soundOn = 1;
      c.currentAlarm = kNone;
      refresh(c);
      break;
    case IDM_SOUND_OFF:
      checkItem(c, IDM_SOUND_OFF, true);
      checkItem(c, IDM_SOUND_ON, false);
      c.soundOn = 0;
      AlarmPlayer(c).stopAllAlarms();
      c.currentAlarm = kNone;
      break;
    case IDM_MANUAL_REFRESH:
    case ID_TB_MANUAL_REFRESH:
      refresh(c);
      break;
    case IDM_AUTO_REFRESH:
    case ID_TB_AUTO_REFRESH:
      toggleAutoRefresh(c);
      break;
    case IDM_EXIT:
      if (shell) shell->requestClose();
      break;
    case IDM_MINIMIZE_ALL:
    case IDM_SYS_MINIMIZE_ALL:
      minimizeAll(c);
      break;
    case IDM_SYS_MOVE_ALL_TOP_LEFT:
      moveAllTopLeft(c);
      break;
    case IDM_CLOSE_ALL_LOG_WINDOWS:
      sweep(c, SweepKind::close);
      break;
    case IDM_GENERAL_SETTINGS:
      if (shell) shell->runGeneralSettingsDialog();
      break;
    case IDM_SOUND_SETTINGS:
      if (shell) shell->runSoundSettingsSheet();
      break;
    case IDM_OPEN_README:
      if (shell) shell->openWithDesktop(enterExecutableDirectory() + "readme.txt");
      break;
    case IDM_VERSION:
      if (shell) shell->showVersionBox();
      break;
    case ID_TB_RETURN_TOP:
      returnToTop(c);
      break;
    case ID_TB_REVERSE:
      if (c.reverseRows == 1) {
        setButton(c, ID_TB_REVERSE, TBSTATE_ENABLED);
        c.reverseRows = 0;
      } else {
        setButton(c, ID_TB_REVERSE, TBSTATE_CHECKED_ENABLED);
        c.reverseRows = 1;
      }
      refresh(c);
      break;
    case ID_TB_COPY_SPEECH:
      copySpeeches(c);
      break;
    default:
      break;
  }
}

void setAutoRefresh(ClientController& c, intptr_t lParam) {
  RefreshTimer* timer = c.ports.timer;
  if (lParam == 1) {
    if (timer) {
      timer->stop();
      timer->start(static_cast<uint64_t>(c.settings.refreshIntervalSeconds) * 1000u);
    }
    c.timerRunning = 1;
  } else if (lParam == 0) {
    if (timer) timer->stop();
    c.timerRunning = 0;
  }
}

// The closing order: browser released, timer, alarms, placement, viewers,
// a short wait for them. The window itself closes when this returns.
void close(ClientController& c) {
  c.ports.browser = nullptr;
  if (c.ports.timer) c.ports.timer->stop();
  c.timerRunning = 0;
  AlarmPlayer(c).stopAllAlarms();
  if (c.ports.shell) {
    WindowPlacement p = c.ports.shell->placement();
    p.length = 44;
    if (p.showCmd == SW_SHOWMAXIMIZED) p.flags |= WPF_RESTORETOMAXIMIZED;
    noteSettingsSave(c, saveWindowPlacement(p));  // a failed save is told, once a run
  }
  sweep(c, SweepKind::close);
  std::this_thread::sleep_for(kCloseWait);
}

}  // namespace

intptr_t CommandHandler::sendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_COMMAND:
      command(c_, static_cast<int>(wParam & 0xFFFF));
      return 0;
    case WM_SYSCOMMAND:
      if (wParam == static_cast<uintptr_t>(IDM_SYS_MOVE_ALL_TOP_LEFT)) moveAllTopLeft(c_);
      if (wParam == static_cast<uintptr_t>(IDM_SYS_MINIMIZE_ALL)) minimizeAll(c_);
      return 0;
    case WM_TIMER:
      c_.navigationUrl = c_.currentUrl;
      c_.refreshByTimer = 1;
      navigateWithPost(c_, c_.navigationUrl);
      return 0;
    case WM_SET_AUTO_REFRESH:
      setAutoRefresh(c_, lParam);
      return 0;
    case WM_ENABLE_SPEECH_COPY:
      setButton(c_, ID_TB_COPY_SPEECH, TBSTATE_ENABLED);
      return 0;
    case WM_DISABLE_SPEECH_COPY:
      setButton(c_, ID_TB_COPY_SPEECH, TBSTATE_DISABLED);
      return 0;
    case MM_MCINOTIFY:
      if (wParam == MCI_NOTIFY_SUCCESSFUL && c_.soundOn == 1 &&
          AlarmPlayer(c_).handleCompletion(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam))) {
        return 0;
      }
      return 0;  // not ours: the default handling, which answers 0
    case WM_CLOSE:
      close(c_);
      return 0;
    default:
      return 0;
  }
}

}  // namespace jinro
