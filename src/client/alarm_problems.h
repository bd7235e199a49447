#pragma once
// Sound files that would not play. The alarm stays silent when its file is
// missing, cut short or not what its name says; this keeps the reason, per
// alarm kind, so that the player can see why (a status line) instead of
// wondering.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/alarm_kind.h"

namespace jinro {

struct AlarmProblem {
  std::string soundPath;  // as the settings hold it (UTF-8)
  std::string reason;     // UTF-8, the file named as the settings name it
};

class AlarmProblems {
 public:
  // The outcome of opening a kind's sound file; `resolvedPath` is the path
  // the device was given, replaced in the reason by the settings' path. An
  // empty sound path is no problem (no sound was asked for). True when the
  // kind's standing problem changed (a new or different failure, or a
  // failure that is gone).
  bool record(AlarmKind kind, std::string_view soundPath, std::string_view resolvedPath, bool opened,
              std::string_view reason);
  const std::optional<AlarmProblem>& problem(AlarmKind kind) const { return problems_[index(kind)]; }
  int count() const;
  // The status line, UTF-8: 警報音を鳴らせません（<alarm>）: <reason>, for
  // the latest failure still standing, with " ほか N 件" when others stand
  // too. Empty when none stands.
  std::string statusText() const;

 private:
  std::array<std::optional<AlarmProblem>, kAlarmKindCount> problems_;
  int latest_ = -1;
};

// The alarm's name as the sound settings sheet shows it, UTF-8.
std::string_view alarmDisplayName(AlarmKind kind);

}  // namespace jinro
