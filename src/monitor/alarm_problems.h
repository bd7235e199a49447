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

#include "monitor/alarm_kind.h"

namespace jinro {

struct ClientController;

struct AlarmProblem {
  std::string soundPath;  // as the settings hold it (Shift_JIS)
  std::string reason;     // printable ASCII, the file named by soundPath
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
  // The status line, Shift_JIS: 警報音を鳴らせません（<alarm>）: <reason>, for
  // the latest failure still standing, with " ほか N 件" when others stand
  // too. Empty when none stands.
  std::string statusText() const;

 private:
  std::array<std::optional<AlarmProblem>, kAlarmKindCount> problems_;
  int latest_ = -1;
};

// The alarm's name as the sound settings sheet shows it, Shift_JIS.
std::string_view alarmDisplayName(AlarmKind kind);

// For the alarm player, right after it opened the kind's sound file on the
// device (`deviceId` 0: the open failed): records the outcome with the
// device's lastError(), hands the main window the new status line when it
// changed, and writes a new failure on standard error.
void reportAlarmOpen(ClientController& c, AlarmKind kind, const std::string& resolvedPath, uint32_t deviceId);

}  // namespace jinro
