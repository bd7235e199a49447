#include "client/game_status.h"


namespace jinro {

namespace {

std::string_view eventName(AlarmKind kind) {
  switch (kind) {
    case AlarmKind::sonmin: return "村人勝利";
    case AlarmKind::jinro: return "人狼勝利";
    case AlarmKind::yoko: return "妖狐勝利";
    case AlarmKind::nekomata: return "猫又勝利";
    case AlarmKind::hikiwake: return "引き分け";
    case AlarmKind::tohyo: return "投票時間";
    case AlarmKind::kodo: return "行動決定時間";
    default: return {};
  }
}

}  // namespace

std::string gameStatusText(const PageReading& reading) {
  if (!reading.titled) return {};
  if (reading.preDay) return reading.lobbyFull() ? "定員到達" : "事件前日";
  if (!reading.gamePage) return reading.registrationOpen ? "登録受付中" : "";
  std::string text = reading.day > 0 ? std::to_string(reading.day) + "日目 " : "";
  if (reading.event) {
    if (isGameEnd(*reading.event)) return std::string(eventName(*reading.event));
    return text + std::string(eventName(*reading.event));
  }
  return text + (reading.night ? "夜" : "昼");
}

}  // namespace jinro
