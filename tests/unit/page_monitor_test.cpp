// The page monitor's reactions to whole pages in a row, as the client reads
// them: what it asks the client to do, in both dialects.
#include "client/page_monitor.h"

#include <gtest/gtest.h>

#include "base/code_page.h"
#include "unit/default_triggers.h"
#include "unit/pages_2004.h"
#include "unit/pages_standard.h"

namespace jinro {
namespace {

using Alarms = std::vector<AlarmKind>;
constexpr char kUrl[] = "http://s/jinro/cgi_jinro.cgi";

class PageMonitorTest : public ::testing::Test {
 protected:
  PageMonitorTest() { test_files::applyDefaultTriggers(settings); }
  PageReaction follow(const std::string& page) { return monitor.follow(readPage(pageTriggersFrom(settings), page, kUrl)); }

  Settings settings;
  PageMonitor monitor{settings};
};

TEST_F(PageMonitorTest, AGameFromDayToVictory) {
  PageReaction r = follow(pages::gamePage(false));
  EXPECT_EQ(r.caption, "テスト村 12日目");
  EXPECT_EQ(r.status, "12日目 昼");
  EXPECT_TRUE(r.alarms.empty());  // the first game page: its phase is only noted
  EXPECT_TRUE(r.keepScroll && r.speechCopy && !r.launchDayLog && !r.gameOver);
  ASSERT_TRUE(r.gameForm);
  EXPECT_EQ(r.gameForm->url, kUrl);
  EXPECT_NE(r.gameForm->postBody.find("TXTPASS=pw&VILLAGENO=12"), std::string::npos);
  EXPECT_EQ(r.capacity, CapacityStep::stop);

  r = follow(pages::gamePage(true));
  EXPECT_EQ(r.alarms, Alarms{AlarmKind::night});
  EXPECT_TRUE(r.launchDayLog && !r.keepScroll && !r.speechCopy);
  EXPECT_EQ(r.status, "12日目 夜");
  EXPECT_TRUE(follow(pages::gamePage(true)).alarms.empty());  // the same phase again

  // Day comes straight into the vote: both alarms, the later one left sounding.
  r = follow(pages::gamePage(false, pages::kVote));
  EXPECT_EQ(r.alarms, (Alarms{AlarmKind::tohyo, AlarmKind::daytime}));
  EXPECT_FALSE(r.launchDayLog);

  r = follow(pages::gamePage(false, pages::kWolvesWin));
  EXPECT_EQ(r.alarms, Alarms{AlarmKind::jinro});
  EXPECT_TRUE(r.launchDayLog && r.gameOver && !r.speechCopy);
  EXPECT_EQ(r.status, "人狼勝利");
  // After the end, no phase sounds and no second log.
  r = follow(pages::gamePage(true, pages::kWolvesWin));
  EXPECT_EQ(r.alarms, Alarms{AlarmKind::jinro});
  EXPECT_FALSE(r.launchDayLog);
  EXPECT_TRUE(r.gameOver);
}

TEST_F(PageMonitorTest, AnEndSeenFirstLaunchesNoLog) {
  const PageReaction r = follow(pages::gamePage(false, pages::kWolvesWin));
  EXPECT_FALSE(r.launchDayLog);
  EXPECT_TRUE(r.gameOver);
}

TEST_F(PageMonitorTest, TheLobbyGivesTheNoticeOnceThenTheAlarmWhenFull) {
  PageReaction r = follow(pages::preDayPage("（定員：16人） [生存中 15人]"));
  EXPECT_EQ(r.capacity, CapacityStep::noticeFirst);
  EXPECT_FALSE(r.lobbyFull);
  EXPECT_EQ(follow(pages::preDayPage("（定員：16人） [生存中 15人]")).capacity, CapacityStep::unchanged);
  r = follow(pages::preDayPage("（定員：16人） [生存中 16人]"));
  EXPECT_EQ(r.capacity, CapacityStep::sound);
  EXPECT_EQ(r.status, "定員到達");

  // Back to the start: a new visit, and the notice again.
  const uint64_t visit = monitor.visit();
  monitor.reset();
  EXPECT_NE(monitor.visit(), visit);
  r = follow(pages::preDayPage("（定員：16人） [生存中 16人]"));
  EXPECT_EQ(r.capacity, CapacityStep::noticeFirst);
  EXPECT_TRUE(r.lobbyFull);

  settings.alarm(AlarmKind::full_alarm).armed = false;
  EXPECT_EQ(follow(pages::preDayPage("（定員：16人） [生存中 16人]")).capacity, CapacityStep::unchanged);
}

TEST_F(PageMonitorTest, PagesOutsideTheGame) {
  follow(pages::gamePage(false));
  PageReaction r = follow(utf8ToShiftJis("<html><title>登録</title><B>村民登録書</B></html>"));
  EXPECT_EQ(r.alarms, Alarms{AlarmKind::sonmintoroku});
  EXPECT_FALSE(r.silenceAlarms || r.gameForm);
  ASSERT_TRUE(r.otherPage);
  EXPECT_EQ(r.otherPage->url, kUrl);
  EXPECT_TRUE(follow(pages::gamePage(true)).alarms == Alarms{AlarmKind::night});  // the phase was kept

  r = follow(utf8ToShiftJis("<html><title>案内</title>ようこそ</html>"));
  EXPECT_TRUE(r.silenceAlarms && r.alarms.empty());
  EXPECT_EQ(r.status, "");
  // The phase is forgotten: the next game page is a first one again.
  EXPECT_TRUE(follow(pages::gamePage(false)).alarms.empty());

  r = follow(utf8ToShiftJis("<html>no title</html>"));
  EXPECT_EQ(r, PageReaction{});
}

TEST_F(PageMonitorTest, The2004ScriptsNightfallAndVictory) {
  pages2004::Village village;
  follow(pages2004::page(village));
  village.night = true;
  village.clock = "<FONT size=\"+2\">2</FONT>日目 夜明けまであと <FONT size=\"+2\">5</FONT>時間<BR>";
  PageReaction r = follow(pages2004::page(village));
  EXPECT_EQ(r.alarms, Alarms{AlarmKind::night});
  EXPECT_TRUE(r.launchDayLog);
  EXPECT_EQ(r.status, "2日目 夜");
  ASSERT_TRUE(r.gameForm);
  EXPECT_NE(r.gameForm->postBody.find("TXTLOGIN=2&FORMID=109805"), std::string::npos);

  village.log = {pages2004::noticeRow("<FONT size=\"+1\">「人　狼」の勝利です！</FONT>")};
  r = follow(pages2004::page(village));
  EXPECT_EQ(r.alarms, Alarms{AlarmKind::jinro});
  EXPECT_TRUE(r.gameOver);
}

}  // namespace
}  // namespace jinro
