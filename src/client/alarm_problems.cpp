#include "client/alarm_problems.h"

#include <cstdio>

namespace jinro {
namespace {

// Long enough for a path and the device's words; a status line shows no more.
constexpr size_t kReasonLimit = 400;

// The device's words with the path it was given shown as the settings hold
// it (UTF-8); anything else that is not printable ASCII (a file
// name's bytes in another encoding, control bytes) becomes '?'.
std::string cleanReason(std::string_view reason, std::string_view resolvedPath, std::string_view soundPath) {
  std::string out;
  size_t i = 0;
  while (i < reason.size() && out.size() < kReasonLimit) {
    if (!resolvedPath.empty() && reason.substr(i).starts_with(resolvedPath)) {
      out += soundPath;
      i += resolvedPath.size();
      continue;
    }
    const unsigned char b = static_cast<unsigned char>(reason[i++]);
    out += (b >= 0x20 && b < 0x7F) ? static_cast<char>(b) : '?';
  }
  return out;
}

}  // namespace

std::string_view alarmDisplayName(AlarmKind kind) {
  constexpr std::array<std::string_view, kAlarmKindCount> names = {
      "夜に変わった時", "昼に変わった時", "投票時間中", "行動決定時間中", "村民勝利時", "人狼勝利時",
      "妖弧勝利時",     "引き分け時",     "猫又勝利時", "村民登録中",     "定員到達アラーム",
  };
  return names[index(kind)];
}

bool AlarmProblems::record(AlarmKind kind, std::string_view soundPath, std::string_view resolvedPath, bool opened,
                           std::string_view reason) {
  std::optional<AlarmProblem>& slot = problems_[index(kind)];
  if (opened || soundPath.empty()) {
    if (!slot) return false;
    slot.reset();
    if (latest_ == index(kind)) {
      latest_ = -1;
      for (int k = 0; k < kAlarmKindCount; ++k) {
        if (problems_[k]) latest_ = k;
      }
    }
    return true;
  }
  AlarmProblem now{std::string(soundPath),
                   reason.empty() ? std::string("the sound device gave no reason")
                                  : cleanReason(reason, resolvedPath, soundPath)};
  const bool changed = !slot || slot->soundPath != now.soundPath || slot->reason != now.reason;
  slot = std::move(now);
  latest_ = index(kind);
  return changed;
}

int AlarmProblems::count() const {
  int n = 0;
  for (const auto& p : problems_) n += p.has_value();
  return n;
}

std::string AlarmProblems::statusText() const {
  if (latest_ < 0 || !problems_[latest_]) return {};
  std::string text = "警報音を鳴らせません（";
  text += alarmDisplayName(static_cast<AlarmKind>(latest_));
  text += "）: ";
  text += problems_[latest_]->reason;
  if (const int others = count() - 1; others > 0) text += " ほか " + std::to_string(others) + " 件";
  return text;
}

}  // namespace jinro
