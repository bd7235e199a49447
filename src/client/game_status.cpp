#include "client/game_status.h"

#include "base/code_page.h"
#include "base/text_scan.h"

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

bool isDigit(char c) { return c >= '0' && c <= '9'; }
// The second byte of a full-width digit (0x82 0x4F..0x58).
bool isWideDigit(std::string_view t, size_t at) {
  return at >= 1 && static_cast<unsigned char>(t[at - 1]) == 0x82 && static_cast<unsigned char>(t[at]) >= 0x4F &&
         static_cast<unsigned char>(t[at]) <= 0x58;
}

}  // namespace

std::string gameStatusText(const PageReading& reading, int day) {
  if (!reading.titled) return {};
  if (reading.preDay) return reading.lobbyFull() ? "定員到達" : "事件前日";
  if (!reading.gamePage) return reading.registrationOpen ? "登録受付中" : "";
  std::string text = day > 0 ? std::to_string(day) + "日目 " : "";
  if (reading.event) {
    if (isGameEnd(*reading.event)) return std::string(eventName(*reading.event));
    return text + std::string(eventName(*reading.event));
  }
  return text + (reading.night ? "夜" : "昼");
}

int dayNumber(std::string_view page) {
  static const std::string kDay = utf8ToShiftJis("日目");
  size_t from = findText(page, 0, "</title>");
  from = from == kNotFound ? 0 : from;
  const size_t at = findText(page, from, kDay);
  if (at == kNotFound) return 0;
  // Back over blanks and closing or opening tags to the number.
  size_t end = at;
  while (end > from) {
    const char c = page[end - 1];
    if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
      --end;
    } else if (c == '>') {
      const size_t open = page.rfind('<', end - 1);
      if (open == std::string_view::npos || open < from) return 0;
      end = open;
    } else {
      break;
    }
  }
  long value = 0;
  long scale = 1;
  size_t i = end;
  while (i > from && scale <= 10000) {
    if (isDigit(page[i - 1])) {
      value += (page[i - 1] - '0') * scale;
      --i;
    } else if (isWideDigit(page, i - 1)) {
      value += (static_cast<unsigned char>(page[i - 1]) - 0x4F) * scale;
      i -= 2;
    } else {
      break;
    }
    scale *= 10;
  }
  return i == end ? 0 : static_cast<int>(value);
}

}  // namespace jinro
