#pragma once
// The eleven alarm kinds and the sound device each is played on.
#include <array>
#include <cstdint>
#include <string_view>

namespace jinro {

enum class AlarmKind : int {
  night,
  daytime,
  tohyo,
  kodo,
  sonmin,
  jinro,
  yoko,
  hikiwake,
  nekomata,
  sonmintoroku,
  full_alarm,
};
inline constexpr int kAlarmKindCount = 11;

inline constexpr int index(AlarmKind k) { return static_cast<int>(k); }

inline constexpr std::string_view kWaveAudio = "WaveAudio";
inline constexpr std::string_view kSequencer = "Sequencer";

// The device a kind's sound file is opened on, whatever the file's name says.
inline constexpr std::string_view deviceType(AlarmKind k) {
  switch (k) {
    case AlarmKind::night:
    case AlarmKind::daytime:
    case AlarmKind::tohyo:
    case AlarmKind::kodo:
    case AlarmKind::full_alarm:
      return kWaveAudio;
    default:
      return kSequencer;
  }
}

// Prefix of the kind's keys in jinro.ini.
inline constexpr std::string_view keyPrefix(AlarmKind k) {
  constexpr std::array<std::string_view, kAlarmKindCount> names = {
      "night", "daytime", "tohyo", "kodo", "sonmin", "jinro",
      "yoko", "hikiwake", "nekomata", "sonmintoroku", "full_alarm"};
  return names[index(k)];
}

// Order in which channels are stopped and completion notices are matched.
inline constexpr std::array<AlarmKind, kAlarmKindCount> kChannelOrder = {
    AlarmKind::sonmintoroku, AlarmKind::jinro, AlarmKind::hikiwake, AlarmKind::sonmin,
    AlarmKind::yoko,         AlarmKind::nekomata, AlarmKind::tohyo, AlarmKind::kodo,
    AlarmKind::daytime,      AlarmKind::night, AlarmKind::full_alarm};

}  // namespace jinro
