#pragma once
// The settings record and its file, jinro.ini (in the settings folder of
// settings/program_paths.h).
// Every text of the record is UTF-8. jinro.ini holds them in Shift_JIS, and
// the file's codec cuts each to its field's size less one byte in Shift_JIS
// (trigger texts and URLs 1023 bytes, sound paths 259 bytes) before
// converting it, so a text holds what the file's field could hold.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/result.h"
#include "settings/alarm_kind.h"

namespace jinro {

inline constexpr size_t kTriggerFieldSize = 1024;  // 1023 bytes of text
inline constexpr size_t kUrlFieldSize = 1024;
inline constexpr size_t kSoundPathFieldSize = 260;  // 259 bytes of text

// Which dialect of pages the game server speaks: told anew from each page
// (automatic), or fixed by the player. Our own key "server_kind" of "ZENPAN":
// "auto", "standard", "2004"; absent or unknown reads as automatic.
enum class ServerKind { automatic, standard, script2004 };

struct AlarmSetting {
  // The file's loop flag counts only when it is exactly 1: it makes the
  // alarm repeat, or, for the capacity alarm (which always repeats), arms it.
  bool repeat = false;
  bool armed = false;  // full_alarm only
  std::string soundPath;      // relative: the settings folder's file, else the default sounds'
  std::string trigger;        // one trigger text (kinds that have one)
  std::string leftTrigger;    // the night kind's three texts
  std::string middleTrigger;
  std::string rightTrigger;
};

struct Settings {
  std::array<AlarmSetting, kAlarmKindCount> alarms;
  uint32_t refreshIntervalSeconds = 10;
  std::string startUrl;  // URL_non_frame
  std::string frameUrl;  // URL_frame
  std::string cgiUrl;    // URL_cgi
  // An alarm that starts while the window is in the background is told by a
  // desktop notification and by the window asking for attention in the
  // taskbar. Our own keys of "ZENPAN" (notify_desktop, notify_urgency); a
  // file without them reads as on.
  bool notifyDesktop = true;
  bool notifyUrgency = true;
  ServerKind serverKind = ServerKind::automatic;

  AlarmSetting& alarm(AlarmKind k) { return alarms[index(k)]; }
  const AlarmSetting& alarm(AlarmKind k) const { return alarms[index(k)]; }
};

// The main window's placement as the settings file stores it.
struct WindowPlacement {
  uint32_t flags = 0;
  uint32_t showCmd = 0;
  int32_t ptMinPositionX = 0, ptMinPositionY = 0;
  int32_t ptMaxPositionX = 0, ptMaxPositionY = 0;
  int32_t rcNormalLeft = 0, rcNormalTop = 0, rcNormalRight = 0, rcNormalBottom = 0;
};
inline constexpr uint32_t WPF_SETMINPOSITION = 1;
inline constexpr uint32_t WPF_RESTORETOMAXIMIZED = 2;
inline constexpr uint32_t SW_SHOWNORMAL = 1;
inline constexpr uint32_t SW_SHOWMINIMIZED = 2;
inline constexpr uint32_t SW_SHOWMAXIMIZED = 3;

using KeyValueList = std::vector<std::pair<std::string, std::string>>;

// Full path of jinro.ini in the program's settings folder.
std::string settingsFilePath();

// Points every load and save at another file (tests, tools); an empty path
// returns to jinro.ini in the settings folder.
void setSettingsFileOverride(std::string path);

// Which field of an AlarmSetting a key of the sound sections holds.
enum class AlarmField { loop, soundPath, trigger, leftTrigger, middleTrigger, rightTrigger };

// One key of "SOUND1", "SOUND2" and "SOUND3", with the default a read gives
// when it is absent (texts in UTF-8).
struct SoundKey {
  std::string_view section;
  std::string_view key;
  AlarmKind kind;
  AlarmField field;
  std::string_view defaultText;  // text keys
  int32_t defaultValue;          // loop / alarm-on keys
};
inline constexpr size_t kSoundKeyCount = 33;
// The 33 keys in the order in which they stand in the file and are read.
const std::array<SoundKey, kSoundKeyCount>& soundKeys();

// The value "server_kind" holds for a kind, and the kind a value reads as.
std::string_view serverKindValue(ServerKind kind);
ServerKind serverKindFromValue(std::string_view value);

void loadSoundSettings(Settings& settings);
void loadGeneralSettings(Settings& settings);
void loadWindowPlacement(WindowPlacement& placement);
// A failed save leaves the old file whole and says why.
Result<void> saveWindowPlacement(const WindowPlacement& placement);
// Replaces the section with the pairs, in order; every other section is kept.
Result<void> writeSection(std::string_view section, const KeyValueList& pairs);

}  // namespace jinro
