#pragma once
// The game's state as the status bar names it, from what the client read on
// a page.
#include <string>
#include <string_view>

#include "page/page_reading.h"

namespace jinro {

// UTF-8: "3日目 昼", "夜", "2日目 投票時間", "行動決定時間", "人狼勝利",
// "引き分け", "事件前日", "定員到達", "登録受付中" and the like; the day's
// number where the page shows one. "" when the page says nothing of the game.
std::string gameStatusText(const PageReading& reading);

}  // namespace jinro
