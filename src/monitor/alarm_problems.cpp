#include "monitor/alarm_problems.h"

#include <cstdio>

#include "app/client_controller.h"
#include "platform/main_window.h"
#include "platform/sound_device.h"

namespace jinro {
namespace {

// Long enough for a path and the device's words; a status line shows no more.
constexpr size_t kReasonLimit = 400;

// The device's words with the path it was given shown as the settings hold
// it; anything else that is not printable ASCII (a file name's bytes in
// another encoding, control bytes) becomes '?'.
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
      "\x96\xE9\x82\xC9\x95\xCF\x82\xED\x82\xC1\x82\xBD\x8E\x9E",        // 夜に変わった時
      "\x92\x8B\x82\xC9\x95\xCF\x82\xED\x82\xC1\x82\xBD\x8E\x9E",        // 昼に変わった時
      "\x93\x8A\x95[\x8E\x9E\x8A\xD4\x92\x86",                           // 投票時間中
      "\x8Ds\x93\xAE\x8C\x88\x92\xE8\x8E\x9E\x8A\xD4\x92\x86",           // 行動決定時間中
      "\x91\xBA\x96\xAF\x8F\x9F\x97\x98\x8E\x9E",                        // 村民勝利時
      "\x90l\x98T\x8F\x9F\x97\x98\x8E\x9E",                              // 人狼勝利時
      "\x97" "d\x8C\xCA\x8F\x9F\x97\x98\x8E\x9E",                        // 妖弧勝利時
      "\x88\xF8\x82\xAB\x95\xAA\x82\xAF\x8E\x9E",                        // 引き分け時
      "\x94L\x96\x94\x8F\x9F\x97\x98\x8E\x9E",                           // 猫又勝利時
      "\x91\xBA\x96\xAF\x93o\x98^\x92\x86",                              // 村民登録中
      "\x92\xE8\x88\xF5\x93\x9E\x92" "B\x83" "A\x83\x89\x81[\x83\x80",   // 定員到達アラーム
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
  // 警報音を鳴らせません（
  std::string text = "\x8Cx\x95\xF1\x89\xB9\x82\xF0\x96\xC2\x82\xE7\x82\xB9\x82\xDC\x82\xB9\x82\xF1\x81i";
  text += alarmDisplayName(static_cast<AlarmKind>(latest_));
  text += "\x81j: ";  // ）:
  text += problems_[latest_]->reason;
  if (const int others = count() - 1; others > 0) {
    text += " \x82\xD9\x82\xA9 " + std::to_string(others) + " \x8C\x8F";  // ほか N 件
  }
  return text;
}

void reportAlarmOpen(ClientController& c, AlarmKind kind, const std::string& resolvedPath, uint32_t deviceId) {
  const std::string reason = (deviceId == 0 && c.ports.sound != nullptr) ? c.ports.sound->lastError() : std::string();
  const std::string& soundPath = c.settings.alarm(kind).soundPath;
  if (!c.alarmProblems.record(kind, soundPath, resolvedPath, deviceId != 0, reason)) return;
  if (const auto& p = c.alarmProblems.problem(kind)) {
    std::fprintf(stderr, "jinro-client: the %.*s alarm is silent: %s\n", static_cast<int>(keyPrefix(kind).size()),
                 keyPrefix(kind).data(), p->reason.c_str());
  }
  if (c.ports.shell != nullptr) c.ports.shell->showStatusText(c.alarmProblems.statusText());
}

}  // namespace jinro
