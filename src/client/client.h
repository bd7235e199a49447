#pragma once
// The client: the components that follow the game, wired to the desktop's
// services. The main window forwards the player's commands and the desktop's
// events here; the client answers through the window, its status bar and its
// message boxes.
#include <memory>
#include <optional>
#include <string>

#include "client/alarm_player.h"
#include "client/auto_refresh.h"
#include "client/crash_recovery.h"
#include "client/game_status.h"
#include "client/log_launcher.h"
#include "client/notebook.h"
#include "client/page_loader.h"
#include "client/page_monitor.h"
#include "page/page_reading.h"
#include "client/settings_saves.h"
#include "client/speech_draft.h"
#include "client/speech_view.h"
#include "platform/browser.h"
#include "platform/clipboard.h"
#include "platform/file_writer.h"
#include "platform/game_window.h"
#include "platform/notes_pane.h"
#include "platform/notices.h"
#include "platform/notifier.h"
#include "platform/process_launcher.h"
#include "platform/refresh_timer.h"
#include "platform/sound_device.h"
#include "platform/status_bar.h"
#include "platform/window_sweeper.h"
#include "settings/program_paths.h"
#include "settings/settings.h"
#include "settings/settings_sections.h"

namespace jinro {

inline constexpr char kMainWindowClass[] = "CLS_ZAZOR_AVOVEZ_32v1";
inline constexpr char kViewerWindowClass[] = "QuillpaneClass_9gdFZb";
// The program's name as the player reads it (notifications, the version box).
inline constexpr char kProgramName[] = "人狼クライアント";

// The desktop's services the client works through. Not owned; they outlive it.
struct Desktop {
  GameWindow& window;
  StatusBar& statusBar;
  Notices& notices;
  SoundDevice& sound;
  Browser& browser;
  RefreshTimer& timer;
  Clipboard& clipboard;
  ProcessLauncher& launcher;
  WindowSweeper& sweeper;
  NotesPane& notesPane;
  FileWriter& writer;
};

class Client final : public BrowserEvents {
 public:
  // paths: where the sounds named by relative paths, readme.txt, the log
  // viewer and tmp.html are.
  Client(const Desktop& desktop, ProgramPaths paths);
  // Everything in one folder (ending in '/').
  Client(const Desktop& desktop, const std::string& programFolder)
      : Client(desktop, ProgramPaths::allIn(programFolder)) {}

  // The start: the settings loaded, the commands' states of a new window,
  // the start page requested.
  void start();
  // Applies the geometry saved in jinro.ini (or the defaults) to the window.
  void restorePlacement();
  // Tells an unwritable settings folder now, before anything is lost.
  void checkSettingsWritable();
  // The desktop's notifications, told of each alarm that starts while the
  // window is in the background (when switched on); none without one.
  void setNotifier(Notifier* notifier) { notifier_ = notifier; }

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
  const std::string& readmePath() const { return paths_.readmePath; }
  // The closing sequence: the browser let go, refresh and alarms stopped,
  // the placement saved, the log windows closed.
  void close();

  // The desktop's events.
  void soundEnded(SoundId sound, PlayEnd end) { alarms_.playEnded(sound, end); }
  bool refuseNavigation(std::u16string_view url) override;
  void documentComplete(std::u16string_view url, std::u16string_view html) override;
  void pageClicked() override {
    if (!closed_) alarms_.stopCapacityAlarm();
  }
  void loadFailed() override {
    if (!closed_) desktop_.statusBar.showPageLoad(false);
  }
  void typingChanged(bool typing) override {
    if (!closed_) refresh_.setTyping(typing);
  }
  void pageCrashed() override;
  void speechRowClicked(std::u16string_view rowHtml) override;

  // The notes pane's text after the player's edit (the window hands on the
  // last one before the closing).
  void notesEdited(std::string text) { notebook_.edited(std::move(text)); }
  // The day logs kept, and showing one in the log viewer.
  std::vector<ArchivedVillage> archivedVillages() const { return notebook_.archive().list(); }
  void openArchivedDay(const ArchivedDay& day);

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
  const SpeechDraftKeeper& drafts() const { return drafts_; }

 private:
  void apply(const PageReaction& reaction);
  bool soundCapacityAlarm(bool lobbyFull);
  void showStatusLine();
  void tellAlarmInBackground(AlarmKind kind);

  Desktop desktop_;
  Notifier* notifier_ = nullptr;
  ProgramPaths paths_;
  Settings settings_;
  PageTriggers triggers_;  // the settings' trigger texts as pages are read, made at each load
  PageLoader loader_;
  AlarmPlayer alarms_;
  AutoRefresh refresh_;
  LogLauncher logs_;
  SpeechView speech_;
  PageMonitor monitor_;
  SettingsSaves saves_;
  std::string pageText_;  // the last page's Shift_JIS text; its memory serves the next
  bool closed_ = false;  // the window is closing: the page's events are no longer followed
  SpeechDraftKeeper drafts_;
  CrashRecovery crashes_;
  Notebook notebook_;
  // The status line: a note of what became of the page (a crash), and the
  // alarms that cannot sound.
  std::string pageNote_;
  bool keepPageNote_ = false;
  std::string notebookNote_;
  std::string alarmProblems_;
  // The next navigation screened is the client's own (not the player's).
  bool ownNavigation_ = false;
  void restoreDraft();
};

}  // namespace jinro
