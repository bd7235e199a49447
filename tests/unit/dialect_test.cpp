// Pages of the 2004 script read as its dialect says, beside pages of our own
// dialect and pages of neither: the readings, the refresh bodies, the copied
// speeches, the reversed table, the day's log title and the status bar.
#include <gtest/gtest.h>

#include "base/code_page.h"
#include "client/game_status.h"
#include "page/day_log.h"
#include "page/page_reading.h"
#include "page/row_reversal.h"
#include "page/speech_text.h"
#include "unit/default_triggers.h"
#include "unit/pages_2004.h"

namespace jinro {
namespace {

using pages2004::Village;
std::string sj(std::string_view utf8) { return utf8ToShiftJis(utf8); }

const std::string kVotePrompt = "太陽が西の空に沈みかけています。<FONT size=\"+2\">投票</FONT>を行ってください。<BR>"
                                "あと<FONT size=\"+2\">7</FONT>名の投票待ちとなっています。<BR>";
const std::string kActionPrompt = "東の空が白みはじめています。<FONT size=\"+2\">能力対象</FONT>を決定してください。<BR><BR>";
const std::string kNight1 = "<FONT size=\"+2\">1</FONT>日目 <IMG src=\"http://s/img/moon.gif\" border=\"0\"> "
                            "夜明けまであと <FONT size=\"+2\">6</FONT>時間<BR>";
const std::string kPreDay = "<FONT size=\"+2\">事件前日</FONT>";
const std::string kBody2004 = "COMMAND=&CMBPLAYER=&TXTMSG=&TXTPNO=1&VILLAGENO=1&TXTLOGIN=2&FORMID=109805";

class DialectTest : public ::testing::Test {
 protected:
  void SetUp() override { test_files::applyDefaultTriggers(settings); }
  PageReading read(const std::string& page) {
    return readPage(pageTriggersFrom(settings), page, "http://s/jinro/cgi_jinro.cgi");
  }
  std::string status(const std::string& page) {
    const PageReading r = read(page);
    return gameStatusText(r);
  }
  Settings settings;
};

Village at(std::string clock, bool night = false) {
  Village v;
  v.clock = std::move(clock);
  v.night = night;
  return v;
}

Village won(const std::string& line) {
  Village v;
  v.log = {pages2004::noticeRow(line), pages2004::speechRow("村人2", "おはよう")};
  return v;
}

TEST_F(DialectTest, GamePagesOfThe2004ScriptReadAsItsDialect) {
  const PageReading day = read(pages2004::page(Village{}));
  EXPECT_TRUE(day.gamePage);
  EXPECT_EQ(day.dialect, Dialect::script2004);
  EXPECT_FALSE(day.night);
  EXPECT_FALSE(day.event);
  EXPECT_EQ(day.loginValues, (LoginValues{"1", "1", "2", "109805"}));
  // The refresh keeps the login, posts the empty command and the page's FORMID.
  EXPECT_EQ(day.postBody, kBody2004);

  const PageReading night = read(pages2004::page(at(kNight1, true)));
  EXPECT_TRUE(night.night);
  EXPECT_EQ(night.postBody, kBody2004);

  // A spectator has no action form and is player 60: refreshed all the same.
  Village spectator;
  spectator.actionForm = false;
  spectator.playerNo = "60";
  EXPECT_EQ(read(pages2004::page(spectator)).postBody,
            "COMMAND=&CMBPLAYER=&TXTMSG=&TXTPNO=60&VILLAGENO=1&TXTLOGIN=2&FORMID=109805");
}

TEST_F(DialectTest, The2004ScriptsPromptsAndVictoriesSoundTheirAlarms) {
  const struct {
    Village village;
    std::optional<AlarmKind> event;
    const char* status;
  } cases[] = {
      {Village{}, std::nullopt, "2日目 昼"},
      {at(kNight1, true), std::nullopt, "1日目 夜"},
      {at("<FONT size=\"+2\">2</FONT>日目 <IMG src=\"x/sun.gif\"> " + kVotePrompt), AlarmKind::tohyo, "2日目 投票時間"},
      {at("<FONT size=\"+2\">3</FONT>日目 <IMG src=\"x/moon.gif\"> " + kActionPrompt, true), AlarmKind::kodo,
       "3日目 行動決定時間"},
      {won("<FONT size=\"+2\" color=\"#FF6600\">「村　人」の勝利です！</FONT>"), AlarmKind::sonmin, "村人勝利"},
      {won("<FONT size=\"+2\" color=\"#DD0000\">「人　狼」の勝利です！</FONT>"), AlarmKind::jinro, "人狼勝利"},
      {won("<FONT size=\"+2\" color=\"#FFFF00\">「妖　狐」の勝利です！</FONT>"), AlarmKind::yoko, "妖狐勝利"},
  };
  for (const auto& c : cases) {
    const std::string page = pages2004::page(c.village);
    EXPECT_EQ(read(page).event, c.event) << c.status;
    EXPECT_EQ(status(page), c.status);
  }
  // The player's own trigger texts hold on this dialect too.
  settings.alarm(AlarmKind::kodo).trigger = "月影村";
  EXPECT_EQ(read(pages2004::page(Village{})).event, AlarmKind::kodo);
}

TEST_F(DialectTest, The2004LobbyIsFullAtTwentyTwoLivingCells) {
  Village lobby = at(kPreDay);
  lobby.living = 21;
  PageReading r = read(pages2004::page(lobby));
  EXPECT_TRUE(r.preDay);
  EXPECT_EQ(r.capacity, 22);
  EXPECT_EQ(r.living, 21);
  EXPECT_FALSE(r.lobbyFull());
  EXPECT_EQ(status(pages2004::page(lobby)), "事件前日");
  lobby.living = 22;
  EXPECT_TRUE(read(pages2004::page(lobby)).lobbyFull());
  EXPECT_EQ(status(pages2004::page(lobby)), "定員到達");
}

TEST_F(DialectTest, PagesOfNeitherDialectAndTheChoiceOfServer) {
  // The registration form, whose heading the default trigger misses.
  const std::string form = pages2004::message(
      "<TR><TD><TABLE><TBODY><TR><TD align=\"center\"><B><FONT size=\"+2\">村民登録書</FONT></B></TD></TR>"
      "</TBODY></TABLE><INPUT type=\"hidden\" name=\"TXTLOGIN\" value=\"1\"></TD></TR>");
  PageReading r = read(form);
  EXPECT_FALSE(r.gamePage);
  EXPECT_TRUE(r.registrationOpen);
  EXPECT_EQ(status(form), "登録受付中");
  // The wrong entrance, and a result page that ends with the hidden login
  // fields of player 0: neither is a village.
  for (const std::string& html : {std::string("<TR><TD align=\"center\">正しい入り口からどうぞ。</TD></TR>"),
                                  std::string("パスワードが正しくありません。\n</TD></TR><INPUT type=\"hidden\" "
                                              "name=\"TXTPNO\" value=\"0\"><INPUT type=\"hidden\" name=\"TXTLOGIN\" "
                                              "value=\"2\"><INPUT type=\"hidden\" name=\"FORMID\" value=\"5\">")}) {
    r = read(pages2004::message(html));
    EXPECT_TRUE(r.titled);
    EXPECT_FALSE(r.gamePage);
    EXPECT_FALSE(r.registrationOpen);
    EXPECT_TRUE(r.postBody.empty());
  }
  // A speech on the script may quote our dialect's button.
  Village quoting;
  quoting.log = {pages2004::speechRow("村人2", "行動/更新を押して")};
  EXPECT_EQ(read(pages2004::page(quoting)).dialect, Dialect::script2004);
  EXPECT_EQ(read(pages2004::page(quoting)).postBody, kBody2004);
  // Our own dialect's page is read as ever, in its dialect.
  const std::string ours = sj("<title>村</title><form><input name=TXTPNO value=3><input type=submit "
                              "value=\"行動/更新\"></form>");
  EXPECT_EQ(read(ours).dialect, Dialect::standard);

  // A server kind chosen by the player reads only its own dialect.
  settings.serverKind = ServerKind::standard;
  EXPECT_FALSE(read(pages2004::page(Village{})).gamePage);
  EXPECT_FALSE(read(form).registrationOpen);
  settings.serverKind = ServerKind::script2004;
  EXPECT_TRUE(read(pages2004::page(Village{})).gamePage);
  EXPECT_FALSE(read(ours).gamePage);
}

TEST_F(DialectTest, SpeechesOfThe2004LogAreCopiedAndReversed) {
  Village v;
  const std::string votes = "<TABLE><TR><TD><b>村人2</b>さん</TD><TD>1 票</TD><TD>投票先 → <b>村人3</b>さん</TD>"
                            "</TR></TABLE>";
  v.log = {pages2004::speechRow("村人3", "二つめ"), pages2004::speechRow("村人2", "ひとつめ<BR>次の行"),
           "<TR><TD colspan=\"2\">" + votes + "</TD></TR>",
           pages2004::noticeRow("<FONT size=\"+1\">2日目の朝となりました。</FONT>")};
  const std::string page = pages2004::page(v);
  std::string out;
  ASSERT_EQ(speechText(page, false, out), SpeechCopyResult::copied);
  EXPECT_EQ(shiftJisToUtf8(out),
            "◆村人3さん 「二つめ」\r\n◆村人2さん 「ひとつめ次の行」\r\n村人2さん1 票投票先 → 村人3さん\r\n\r\n"
            " 2日目の朝となりました。\r\n");

  // Turned round: the oldest first, the vote table whole inside its row, the
  // absolute form address as it was.
  std::string turned = page;
  ASSERT_GT(reverseRowsAndFixLinks(turned, false), 0u);
  const std::string t = shiftJisToUtf8(turned);
  EXPECT_LT(t.find("2日目の朝"), t.find(shiftJisToUtf8(sj(votes))));
  EXPECT_LT(t.find(shiftJisToUtf8(sj(votes))), t.find("ひとつめ"));
  EXPECT_LT(t.find("ひとつめ"), t.find("二つめ"));
  EXPECT_NE(t.find("action=\"http://s/jinro/cgi_jinro.cgi\""), std::string::npos);
  ASSERT_EQ(speechText(turned, true, out), SpeechCopyResult::copied);
  EXPECT_EQ(shiftJisToUtf8(out).find(" 2日目の朝となりました。\r\n"), 0u);

  // A night without a howl: an empty log is left as it is.
  std::string quiet = pages2004::page(at(kNight1, true));
  EXPECT_EQ(reverseRowsAndFixLinks(quiet, false), 0u);
  EXPECT_EQ(speechText(quiet, false, out), SpeechCopyResult::copied);
  EXPECT_EQ(out, "");
}

TEST_F(DialectTest, TheDaysLogIsTitledByTheClockLinesDay) {
  EXPECT_EQ(shiftJisToUtf8(dayLogTitle(pages2004::page(Village{}))), "2日目の記録");
  EXPECT_EQ(shiftJisToUtf8(dayLogTitle(pages2004::page(at(kPreDay)))), "事件前日");
}

}  // namespace
}  // namespace jinro
