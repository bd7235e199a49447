#include "settings/settings.h"

#include <cinttypes>
#include <cstdio>
#include <mutex>

#include "base/code_page.h"
#include "base/executable_dir.h"
#include "base/server_url.h"
#include "settings/program_paths.h"
#include "settings/profile_file.h"

namespace jinro {
namespace {

constexpr std::string_view kSound1 = "SOUND1";
constexpr std::string_view kSound2 = "SOUND2";
constexpr std::string_view kSound3 = "SOUND3";
constexpr std::string_view kGeneral = "ZENPAN";
constexpr std::string_view kPlacement = "WINDOW_PLACEMENT";

using K = AlarmKind;
using F = AlarmField;

const std::array<SoundKey, kSoundKeyCount>& soundKeyTable() {
  static constexpr std::string_view kTohyoTrigger = "投票</font>を行ってください。";
  static constexpr std::string_view kKodoTrigger = "能力対象</font>を決定してください。";
  static constexpr std::string_view kSonminTrigger = "「村　人」の勝利です！</font>";
  static constexpr std::string_view kJinroTrigger = "人　狼</font>」の勝利です！</font>";
  static constexpr std::string_view kYokoTrigger = "妖　狐</font>」の勝利です！</font>";
  static constexpr std::string_view kHikiwakeTrigger = "「引き分け」です！</font>";
  static constexpr std::string_view kNekomataTrigger = "猫　又</font>」の勝利です！</font>";
  static constexpr std::string_view kSonmintorokuTrigger = "<B>村民登録書</B>";

  static const std::array<SoundKey, kSoundKeyCount> keys = {{
      {kSound1, "night_left_trigger_string", K::night, F::leftTrigger, ".CLSTD01", 0},
      {kSound1, "night_middle_trigger_string", K::night, F::middleTrigger, "black", 0},
      {kSound1, "night_right_trigger_string", K::night, F::rightTrigger, "background-color", 0},
      {kSound1, "night_sound_path", K::night, F::soundPath, "monst01.wav", 0},
      {kSound1, "night_sound_roop_check", K::night, F::loop, "", 0},
      {kSound1, "daytime_sound_path", K::daytime, F::soundPath, "bird.wav", 0},
      {kSound1, "daytime_sound_roop_check", K::daytime, F::loop, "", 0},
      {kSound1, "tohyo_trigger_string", K::tohyo, F::trigger, kTohyoTrigger, 0},
      {kSound1, "tohyo_sound_path", K::tohyo, F::soundPath, "se-037.wav", 0},
      {kSound1, "tohyo_sound_roop_check", K::tohyo, F::loop, "", 1},
      {kSound1, "kodo_trigger_string", K::kodo, F::trigger, kKodoTrigger, 0},
      {kSound1, "kodo_sound_path", K::kodo, F::soundPath, "se-037.wav", 0},
      {kSound1, "kodo_sound_roop_check", K::kodo, F::loop, "", 1},

      {kSound2, "sonmin_trigger_string", K::sonmin, F::trigger, kSonminTrigger, 0},
      {kSound2, "sonmin_sound_path", K::sonmin, F::soundPath, "tamhe06.mid", 0},
      {kSound2, "sonmin_sound_roop_check", K::sonmin, F::loop, "", 1},
      {kSound2, "jinro_trigger_string", K::jinro, F::trigger, kJinroTrigger, 0},
      {kSound2, "jinro_sound_path", K::jinro, F::soundPath, "tam-g09.mid", 0},
      {kSound2, "jinro_sound_roop_check", K::jinro, F::loop, "", 1},
      {kSound2, "yoko_trigger_string", K::yoko, F::trigger, kYokoTrigger, 0},
      {kSound2, "yoko_sound_path", K::yoko, F::soundPath, "tam-g09.mid", 0},
      {kSound2, "yoko_sound_roop_check", K::yoko, F::loop, "", 1},
      {kSound2, "hikiwake_trigger_string", K::hikiwake, F::trigger, kHikiwakeTrigger, 0},
      {kSound2, "hikiwake_sound_path", K::hikiwake, F::soundPath, "tam-g09.mid", 0},
      {kSound2, "hikiwake_sound_roop_check", K::hikiwake, F::loop, "", 1},

      {kSound3, "nekomata_trigger_string", K::nekomata, F::trigger, kNekomataTrigger, 0},
      {kSound3, "nekomata_sound_path", K::nekomata, F::soundPath, "tamhe06.mid", 0},
      {kSound3, "nekomata_sound_roop_check", K::nekomata, F::loop, "", 1},
      {kSound3, "sonmintoroku_trigger_string", K::sonmintoroku, F::trigger, kSonmintorokuTrigger, 0},
      {kSound3, "sonmintoroku_sound_path", K::sonmintoroku, F::soundPath, "tam-g07.mid", 0},
      {kSound3, "sonmintoroku_sound_roop_check", K::sonmintoroku, F::loop, "", 1},
      {kSound3, "full_alarm_sound_path", K::full_alarm, F::soundPath, "bin100818210142001.wav", 0},
      {kSound3, "full_alarm_check", K::full_alarm, F::loop, "", 1},
  }};
  return keys;
}

std::string* textField(AlarmSetting& a, AlarmField f) {
  switch (f) {
    case F::soundPath: return &a.soundPath;
    case F::trigger: return &a.trigger;
    case F::leftTrigger: return &a.leftTrigger;
    case F::middleTrigger: return &a.middleTrigger;
    case F::rightTrigger: return &a.rightTrigger;
    case F::loop: break;
  }
  return nullptr;
}

// A text field as the file holds it: the Shift_JIS value (or the default)
// cut to the field's size, then converted to UTF-8. The cut comes first so
// that a text is what the field could hold, whatever its encoding.
std::string readText(const profile::Document& file, std::string_view section, std::string_view key,
                     std::string_view utf8Default, size_t fieldSize) {
  return shiftJisToUtf8(file.readString(section, key, utf8ToShiftJis(utf8Default), fieldSize));
}

std::mutex& overrideMutex() {
  static std::mutex m;
  return m;
}
std::string& overridePath() {
  static std::string path;
  return path;
}

// The ten placement keys in file order.
struct PlacementKey {
  std::string_view key;
  int32_t defaultValue;
};
constexpr std::array<PlacementKey, 10> kPlacementKeys = {{
    {"flags", 1},
    {"showCmd", 1},
    {"ptMinPosition_x", 200},
    {"ptMinPosition_y", 200},
    {"ptMaxPosition_x", 0},
    {"ptMaxPosition_y", 0},
    {"rcNormalPosition_left", 50},
    {"rcNormalPosition_top", 50},
    {"rcNormalPosition_right", 650},
    {"rcNormalPosition_bottom", 450},
}};

}  // namespace

const std::array<SoundKey, kSoundKeyCount>& soundKeys() { return soundKeyTable(); }

void setSettingsFileOverride(std::string path) {
  std::lock_guard<std::mutex> lock(overrideMutex());
  overridePath() = std::move(path);
}

std::string settingsFilePath() {
  {
    std::lock_guard<std::mutex> lock(overrideMutex());
    if (!overridePath().empty()) return overridePath();
  }
  return programPaths().settingsFolder + "jinro.ini";
}

void loadSoundSettings(Settings& settings) {
  const profile::Document file = profile::Document::load(settingsFilePath());
  for (const SoundKey& k : soundKeys()) {
    AlarmSetting& a = settings.alarm(k.kind);
    if (k.field == F::loop) {
      const bool on = file.readInt(k.section, k.key, k.defaultValue) == 1;
      (k.kind == AlarmKind::full_alarm ? a.armed : a.repeat) = on;
    } else {
      const size_t size = k.field == F::soundPath ? kSoundPathFieldSize : kTriggerFieldSize;
      *textField(a, k.field) = readText(file, k.section, k.key, k.defaultText, size);
    }
  }
}

void loadGeneralSettings(Settings& settings) {
  const profile::Document file = profile::Document::load(settingsFilePath());
  const std::string base(serverBaseUrl());
  settings.startUrl = readText(file, kGeneral, "URL_non_frame", base + "index2.html", kUrlFieldSize);
  settings.frameUrl = readText(file, kGeneral, "URL_frame", base, kUrlFieldSize);
  settings.refreshIntervalSeconds = static_cast<uint32_t>(file.readInt(kGeneral, "jidokosin_kankaku", 10));
  settings.cgiUrl = readText(file, kGeneral, "URL_cgi", base + "cgi_jinro.cgi", kUrlFieldSize);
  settings.notifyDesktop = file.readInt(kGeneral, "notify_desktop", 1) != 0;
  settings.notifyUrgency = file.readInt(kGeneral, "notify_urgency", 1) != 0;
  settings.serverKind = serverKindFromValue(file.readString(kGeneral, "server_kind", "", kUrlFieldSize));
}

std::string_view serverKindValue(ServerKind kind) {
  switch (kind) {
    case ServerKind::standard: return "standard";
    case ServerKind::script2004: return "2004";
    case ServerKind::automatic: break;
  }
  return "auto";
}

ServerKind serverKindFromValue(std::string_view value) {
  for (ServerKind kind : {ServerKind::standard, ServerKind::script2004})
    if (value == serverKindValue(kind)) return kind;
  return ServerKind::automatic;
}

void loadWindowPlacement(WindowPlacement& p) {
  const profile::Document file = profile::Document::load(settingsFilePath());
  auto read = [&](size_t i) { return file.readInt(kPlacement, kPlacementKeys[i].key, kPlacementKeys[i].defaultValue); };
  p.flags = static_cast<uint32_t>(read(0));
  p.showCmd = static_cast<uint32_t>(read(1));
  p.ptMinPositionX = read(2);
  p.ptMinPositionY = read(3);
  p.ptMaxPositionX = read(4);
  p.ptMaxPositionY = read(5);
  p.rcNormalLeft = read(6);
  p.rcNormalTop = read(7);
  p.rcNormalRight = read(8);
  p.rcNormalBottom = read(9);
}

Result<void> saveWindowPlacement(const WindowPlacement& p) {
  const std::array<int64_t, 10> values = {p.flags,          p.showCmd,        p.ptMinPositionX, p.ptMinPositionY,
                                          p.ptMaxPositionX, p.ptMaxPositionY, p.rcNormalLeft,   p.rcNormalTop,
                                          p.rcNormalRight,  p.rcNormalBottom};
  KeyValueList pairs;
  pairs.reserve(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    char text[32];
    // %lu for the unsigned fields, %ld for the coordinates.
    std::snprintf(text, sizeof text, "%" PRId64, values[i]);
    pairs.emplace_back(std::string(kPlacementKeys[i].key), text);
  }
  return writeSection(kPlacement, pairs);
}

Result<void> writeSection(std::string_view section, const KeyValueList& pairs) {
  return profile::writeSection(section, pairs, settingsFilePath());
}

}  // namespace jinro
