// The status bar's name for the game's state, from a page's reading and the
// day number the page shows.
#include "client/game_status.h"

#include <gtest/gtest.h>

#include "base/code_page.h"
#include "page/day_number.h"

namespace jinro {
namespace {

PageReading game(bool night, std::optional<AlarmKind> event = std::nullopt) {
  PageReading r;
  r.titled = r.gamePage = true;
  r.night = night;
  r.event = event;
  return r;
}

TEST(GameStatus, NamesWhatThePageSaid) {
  PageReading lobby;
  lobby.titled = lobby.gamePage = lobby.preDay = true;
  PageReading full = lobby;
  full.capacity = full.living = 8;
  PageReading registration;
  registration.titled = registration.registrationOpen = true;
  PageReading other;
  other.titled = true;
  const struct {
    PageReading reading;
    int day;
    const char* want;
  } cases[] = {
      {game(false), 3, "3日目 昼"},
      {game(false), 0, "昼"},
      {game(true), 2, "2日目 夜"},
      {game(false, AlarmKind::tohyo), 4, "4日目 投票時間"},
      {game(true, AlarmKind::kodo), 0, "行動決定時間"},
      {game(false, AlarmKind::jinro), 5, "人狼勝利"},
      {game(true, AlarmKind::hikiwake), 5, "引き分け"},
      {game(false, AlarmKind::yoko), 2, "妖狐勝利"},
      {lobby, 0, "事件前日"},
      {full, 0, "定員到達"},
      {registration, 0, "登録受付中"},
      {other, 0, ""},
      {PageReading{}, 3, ""},
  };
  for (auto c : cases) {
    c.reading.day = c.day;
    EXPECT_EQ(gameStatusText(c.reading), c.want) << c.want;
  }
}

TEST(GameStatus, DayNumberBeforeTheDayMark) {
  auto day = [](std::string_view utf8) { return dayNumber(utf8ToShiftJis(utf8)); };
  EXPECT_EQ(day("<title>村 9日目</title><td><font size=\"+2\">12</font>日目 (昼)</td>"), 12);
  EXPECT_EQ(day("<title>t</title><b>１０</b> 日目"), 10);
  EXPECT_EQ(day("<title>村 9日目</title><b>事件前日</b>"), 0);  // the title's day is not the game's
  EXPECT_EQ(day("<title>t</title>第日目"), 0);
  EXPECT_EQ(day("<title>t</title><b>3</b>日目 <a>2日目の記録</a>"), 3);
}

}  // namespace
}  // namespace jinro
