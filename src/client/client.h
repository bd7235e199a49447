#pragma once
// The client: the components that follow the game, wired to the desktop's
// services. The main window forwards the player's commands and the desktop's
// events here; the client answers through the shell.
#include <memory>
#include <string>

#include "client/alarm_player.h"
#include "client/auto_refresh.h"
#include "client/log_launcher.h"
#include "client/page_loader.h"
#include "client/page_monitor.h"
#include "client/settings_saves.h"
#include "client/speech_view.h"
#include "platform/browser.h"
#include "platform/client_shell.h"
#include "platform/clipboard.h"
#include "platform/process_launcher.h"
#include "platform/refresh_timer.h"
#include "platform/sound_device.h"
#include "platform/window_sweeper.h"
#include "settings/settings.h"
#include "settings/settings_sections.h"

namespace jinro {

inline constexpr char kMainWindowClass[] = "CLS_ZAZOR_AVOVEZ_32v1";
inline constexpr char kViewerWindowClass[] = "QuillpaneClass_9gdFZb";

// The desktop's services the client works through. Not owned; they outlive it.
struct Desktop {
  ClientShell& shell;
  SoundDevice& sound;
  Browser& browser;
  RefreshTimer& timer;
  Clipboard& clipboard;
  ProcessLauncher& launcher;
  WindowSweeper& sweeper;
};

class Client final : public BrowserEvents {
 public:
  // programFolder (ending in '/') holds the sounds named by relative paths,
  // readme.txt, the log viewer and tmp.html.
  Client(const Desktop& desktop, std::string programFolder);

  // The start: the settings loaded, the commands' states of a new window,
  // the start page requested.
  void start();
  // Applies the placement saved in jinro.ini (or the defaults) to the window
  // shown with startShowCmd.
  void restorePlacement(uint32_t startShowCmd);
  // Tells an unwritable settings folder now, before anything is lost.
  void checkSettingsWritable();

  // The player's commands.
  void setSoundOn(bool on);
  void refresh();
  void toggleAutoRefresh();
  void returnToTop();
  void toggleReverseRows();
  void copySpeeches();
  void minimizeAll();
  void moveAllTopLeft();
  void closeAllLogWindows();
  std::string readmePath() const { return programFolder_ + "readme.txt"; }
  // The closing sequence: the browser let go, refresh and alarms stopped,
  // the placement saved, the log windows closed.
  void close();

  // The desktop's events.
  void soundEnded(uint32_t deviceId, PlayEnd end) { alarms_.playEnded(deviceId, end); }
  bool refuseNavigation(std::u16string_view url) override;
  void documentComplete(std::u16string_view url, std::u16string_view html) override;
  void pageClicked() override {
    if (!closed_) alarms_.stopCapacityAlarm();
  }

  // The settings dialogs.
  const Settings& settings() const { return settings_; }
  GeneralOkResult confirmGeneralSettings(const GeneralDialogTexts& texts);
  bool confirmSoundSheet(const SoundSheetPages& pages);
  SettingsSaves& settingsSaves() { return saves_; }

  // For tests and measurements: what the client holds now.
  const AutoRefresh& autoRefresh() const { return refresh_; }
  const AlarmPlayer& alarms() const { return alarms_; }
  const PageMonitor& monitor() const { return monitor_; }
  const SpeechView& speechView() const { return speech_; }

 private:
  Desktop desktop_;
  std::string programFolder_;
  Settings settings_;
  PageLoader loader_;
  AlarmPlayer alarms_;
  AutoRefresh refresh_;
  LogLauncher logs_;
  SpeechView speech_;
  PageMonitor monitor_;
  SettingsSaves saves_;
  std::string pageText_;  // the last page's Shift_JIS text; its memory serves the next
  bool closed_ = false;  // the window is closing: the page's events are no longer followed
};

}  // namespace jinro
