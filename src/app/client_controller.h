#pragma once
// The one object that holds the client's state, and the ports through which
// it reaches the desktop. Field names and start values are the program's
// contract between its parts; texts are Shift_JIS byte strings.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/ids.h"
#include "monitor/alarm_kind.h"
#include "monitor/alarm_problems.h"
#include "settings/settings.h"

namespace jinro {

class MessageTarget;
class MainWindowPort;
class SoundDevice;
class Browser;
class RefreshTimer;
class Clipboard;
class ProcessLauncher;
class WindowSweeper;

// Area sizes of the page texts: 511,999 bytes of text and a terminator.
inline constexpr size_t kPageTextArea = 512000;
inline constexpr size_t kPageTextLimit = kPageTextArea - 1;
inline constexpr size_t kTextField = 1024;   // postBody, currentUrl: 1023 bytes
inline constexpr size_t kLoginValueLimit = 255;
inline constexpr size_t kTitleLimit = 255;

// The login values, in the order the post body names them.
enum LoginField { TXTPNO, TXTPASS, VILLAGENO, TXTLOGIN, FORMID, kLoginFieldCount };

// The open parameters of one alarm kind's last opening and its device.
struct AlarmChannel {
  std::string deviceType;   // "WaveAudio" or "Sequencer"
  std::string elementName;  // the sound file path
  uint32_t openedDeviceId = 0;  // as returned by the last open
  uint32_t deviceId = 0;        // the open device, 0 when none
};

// Everything the logic reaches outside itself. Not owned.
struct Ports {
  MessageTarget* mainWindow = nullptr;      // SendMessage to the main window's dispatcher
  MainWindowPort* shell = nullptr;          // caption, toolbar, menu, boxes, dialogs
  SoundDevice* sound = nullptr;
  Browser* browser = nullptr;
  RefreshTimer* timer = nullptr;
  Clipboard* clipboard = nullptr;
  ProcessLauncher* launcher = nullptr;
  WindowSweeper* sweeper = nullptr;
};

struct ClientController {
  ClientController() = default;
  explicit ClientController(const Ports& p) : ports(p) {}

  Ports ports;

  // settings
  Settings settings;

  // shell
  uint8_t soundOn = 1;
  uint8_t autoRefreshOn = 0;
  uint8_t timerRunning = 0;
  uint8_t refreshByTimer = 0;
  uint8_t reverseRows = 0;

  // monitoring
  int32_t lastPhase = kNone;     // 1 day, 0 night, 100 none
  int32_t currentAlarm = kNone;  // alarm id, 100 none
  uint8_t gameOver = 0;
  uint8_t awaitingFirstGamePage = 1;
  uint8_t capacityNoticePending = 1;
  uint8_t restoreScroll = 0;
  std::array<std::string, kLoginFieldCount> loginValues;  // each at most 255 bytes
  std::string postBody;          // at most 1023 bytes
  uint32_t postBodyLength = 0;
  std::string currentUrl;        // at most 1023 bytes

  // alarms: one channel per kind, indexed by AlarmKind
  std::array<AlarmChannel, kAlarmKindCount> alarmChannels;
  uint32_t capacityAlarmDevice = 0;
  AlarmProblems alarmProblems;  // sound files that would not open, and why

  // settings saves: 1 once the player was told that one failed
  uint8_t settingsSaveFailureShown = 0;

  // browser
  uint8_t ownReloadPending = 0;
  int32_t savedScrollLeft = 0;
  int32_t savedScrollTop = 0;
  uint8_t skipScrollSave = 1;

  // logs: scratch rows of the reversal, and the viewers started (process ids)
  std::vector<std::string> rowBlocks;
  std::vector<int64_t> viewerProcesses;

  // page texts and the rest of the per-run state
  std::string navigationUrl;       // URL handed to navigateWithPost
  std::string pageText;            // last completed page, Shift_JIS, at most 511,999 bytes
  std::u16string pageHtml;         // its HTML as the browser gave it
  std::u16string previousPageHtml; // the page before it
  std::string pageUrl;             // URL of the last completed document
  uint32_t speechCopyAvailable = 0;

  // Sends a message to the main window's dispatcher; 0 when none is wired.
  intptr_t sendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
  void sendCommand(int commandId) { sendMessage(WM_COMMAND, static_cast<uintptr_t>(commandId), 0); }
};

}  // namespace jinro
