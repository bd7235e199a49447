#pragma once
// The eleven alarm kinds.
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

// Prefix of the kind's keys in jinro.ini.
inline constexpr std::string_view keyPrefix(AlarmKind k) {
  constexpr std::array<std::string_view, kAlarmKindCount> names = {
      "night", "daytime", "tohyo", "kodo", "sonmin", "jinro",
      "yoko", "hikiwake", "nekomata", "sonmintoroku", "full_alarm"};
  return names[index(k)];
}

}  // namespace jinro
