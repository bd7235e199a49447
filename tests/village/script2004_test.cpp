// The village in the 2004 script's dialect, and the fail-next control in both
// dialects. Pages are searched as the client searches them: Shift_JIS bytes,
// with a search that knows Shift_JIS.
#include <gtest/gtest.h>

#include <string>

#include "base/text_scan.h"
#include "text.h"
#include "village.h"

namespace village {
namespace {

using jinro::findText;
using jinro::kNotFound;

const std::string kCgi = "/jinro/cgi_jinro.cgi";
const std::string kLogin = "CMBPLAYER=3&TXTPASS=pass&TXTLOGIN=1&COMMAND=LOGIN&VILLAGENO=1";

std::string sjis(const std::string& utf8) { return encodePage(utf8, Encoding::ShiftJis); }
size_t find(const std::string& page, const std::string& utf8, size_t from = 0) {
  return findText(page, from, sjis(utf8));
}
bool has(const std::string& page, const std::string& utf8) { return find(page, utf8) != kNotFound; }
size_t count(const std::string& page, const std::string& utf8) {
  size_t n = 0;
  for (size_t at = 0; (at = find(page, utf8, at)) != kNotFound; ++at) ++n;
  return n;
}

HttpResponse send(Village& v, const std::string& method, const std::string& target, const std::string& body = "") {
  HttpRequest r;
  r.method = method;
  r.target = target;
  r.version = "HTTP/1.1";
  r.body = body;
  return v.handle(r);
}

// The value of a hidden field of the page.
std::string hiddenValue(const std::string& page, const std::string& name) {
  size_t at = page.find("name=\"" + name + "\" value=\"");
  if (at == std::string::npos) return "";
  at = page.find("value=\"", at) + 7;
  return page.substr(at, page.find('"', at) - at);
}

// The in-village POST of player 3, the refresh when command is empty.
std::string post(Village& v, const std::string& formId, const std::string& command = "",
                 const std::string& target = "", const std::string& text = "") {
  HttpResponse r = send(v, "POST", kCgi,
                        "COMMAND=" + command + "&CMBPLAYER=" + target + "&TXTMSG=" + text +
                            "&TXTPNO=3&VILLAGENO=1&TXTLOGIN=2&FORMID=" + formId);
  EXPECT_EQ(r.status, 200);
  return r.body;
}

bool isNight(const std::string& page) {
  return has(page, ".CLSTD01{ color : black; background-color : white;") && has(page, "<BODY bgcolor=\"#000000\"");
}

const char* const kVictories[] = {"<FONT size=\"+2\" color=\"#FF6600\">「村　人」の勝利です！</FONT>",
                                  "<FONT size=\"+2\" color=\"#DD0000\">「人　狼」の勝利です！</FONT>",
                                  "「妖　狐」の勝利です！"};
const std::string kVotePrompt = "太陽が西の空に沈みかけています。<FONT size=\"+2\">投票</FONT>を行ってください。";
const std::string kActionPrompt = "東の空が白みはじめています。<FONT size=\"+2\">能力対象</FONT>を決定してください。";
const std::string kWrongEntrance = "正しい入り口からどうぞ。";

TEST(Script2004, LoginOpensTheVillageAtNightOneInOneForm) {
  Village v("/jinro/", "day-night", 1, Dialect::Script2004);
  // The start page is the login form as the browser fills it in.
  std::string entry = send(v, "GET", "/jinro/index2.html").body;
  EXPECT_TRUE(has(entry, "<OPTION value=\"3\" selected>"));
  EXPECT_TRUE(has(entry, "name=\"TXTPASS\" value=\"pass\""));
  EXPECT_TRUE(has(entry, "<OPTION value=\"0\">旅　人（観戦）</OPTION>"));
  EXPECT_FALSE(has(entry, "charset"));

  HttpResponse r = send(v, "POST", kCgi, kLogin);
  ASSERT_EQ(r.status, 200);
  EXPECT_EQ(r.contentType, "text/html");
  EXPECT_FALSE(has(r.body, "charset"));
  const std::string& page = r.body;
  EXPECT_TRUE(has(page, "<TITLE>「汝は人狼なりや？」スクリプト</TITLE>"));
  EXPECT_EQ(count(page, "<FORM "), 1u);
  EXPECT_TRUE(has(page, "<TABLE width=\"700\" cellspacing=\"5\">"));
  // The rows come in their order.
  size_t at = 0;
  for (const char* row : {"◆ 村人たち", "◆ アナタの情報", "◆ 出来事", "◆ 行動設定", "<A href=\"jinro_index.htm\">戻る</A>"}) {
    size_t next = find(page, std::string("<TD class=\"CLSTD01\">") + row, at);
    ASSERT_NE(next, kNotFound) << row;
    at = next;
  }
  EXPECT_FALSE(has(page, "◆ 幽霊の間"));
  EXPECT_TRUE(isNight(page));
  EXPECT_TRUE(has(page, "<FONT size=\"+2\">1</FONT>日目 <IMG src=\"img/moon.gif\" border=\"0\"> 夜明けまであと <FONT size=\"+2\">6</FONT>時間<BR>"));
  EXPECT_TRUE(has(page, "<FONT size=\"+1\">１日目の夜となりました。</FONT>"));
  EXPECT_TRUE(has(page, "アナタの役割は「占い師」です。"));
  // The seer divines tonight; updating is the last choice.
  EXPECT_TRUE(has(page, "<OPTION value=\"FORTUNE\">占　う [行動対象]</OPTION>"));
  size_t refresh = find(page, "<OPTION value=\"\">更　新</OPTION>\n</SELECT>");
  EXPECT_NE(refresh, kNotFound);
  EXPECT_LT(find(page, "<SELECT name=\"COMMAND\">"), refresh);
  EXPECT_GT(find(page, "<SELECT name=\"CMBPLAYER\">"), refresh);
  EXPECT_TRUE(has(page, "<TEXTAREA rows=\"3\" cols=\"70\" name=\"TXTMSG\">"));
  EXPECT_TRUE(has(page, "<INPUT type=\"submit\" value=\"上の内容で行動\">"));
  // After login the page knows the player by number alone.
  EXPECT_EQ(hiddenValue(page, "TXTPNO"), "3");
  EXPECT_EQ(hiddenValue(page, "VILLAGENO"), "1");
  EXPECT_EQ(hiddenValue(page, "TXTLOGIN"), "2");
  EXPECT_FALSE(hiddenValue(page, "FORMID").empty());
  EXPECT_FALSE(has(page, "name=\"TXTPASS\""));
  bool cookie = false;
  for (const auto& [name, value] : r.headers) cookie = cookie || (name == "Set-Cookie" && value.starts_with("PLAYERNO1=3;"));
  EXPECT_TRUE(cookie);

  // A wrong password and a spectator.
  std::string wrong = send(v, "POST", kCgi, "CMBPLAYER=3&TXTPASS=nope&TXTLOGIN=1&COMMAND=LOGIN&VILLAGENO=1").body;
  EXPECT_TRUE(has(wrong, "パスワードが正しくありません。"));
  EXPECT_FALSE(has(wrong, "name=\"COMMAND\""));
  std::string spectator = send(v, "POST", kCgi, "CMBPLAYER=0&TXTPASS=&TXTLOGIN=1&COMMAND=LOGIN&VILLAGENO=1").body;
  EXPECT_TRUE(has(spectator, "◆ 出来事"));
  EXPECT_FALSE(has(spectator, "◆ 行動設定"));
  EXPECT_EQ(hiddenValue(spectator, "TXTPNO"), "60");
}

TEST(Script2004, RefreshKeepsTheGameAndAFormSentTwiceActsOnce) {
  Village v("/jinro/", "game-village", 1, Dialect::Script2004);
  v.advance(2);  // dawn, then day 2
  auto game = [&] { std::string s = v.stateJson(); return s.substr(0, s.find(",\"formid\"")); };
  std::string before = game();
  std::string page = post(v, "101");
  EXPECT_EQ(game(), before);
  EXPECT_FALSE(isNight(page));
  EXPECT_TRUE(has(page, "<FONT size=\"+1\">2日目の朝となりました。</FONT>"));
  // Two villagers spoke at sunrise, a quarter of an hour each.
  EXPECT_TRUE(has(page, "日没まであと <FONT size=\"+2\">11</FONT>時間 <FONT size=\"+2\">30</FONT>分"));
  EXPECT_NE(hiddenValue(page, "FORMID"), hiddenValue(post(v, "102"), "FORMID"));

  // Speech in its row; the clock moves on.
  std::string said = post(v, "103", "MSG2", "", "%82%B1%82%F1%82%C9%82%BF%82%CD%2C%3Cb%3E");  // こんにちは,<b>
  const std::string row = "<FONT size=\"+1\">こんにちは&lt;b&gt;</FONT>\n」</TD></TR>";
  EXPECT_TRUE(has(said, "<b>旅人</b>さん</TD><TD>「" + row));
  EXPECT_TRUE(has(said, "日没まであと <FONT size=\"+2\">11</FONT>時間 <FONT size=\"+2\">15</FONT>分"));
  // The same FORMID again is only a refresh; a new one speaks again.
  EXPECT_EQ(count(post(v, "103", "MSG2", "", "%82%B1%82%F1%82%C9%82%BF%82%CD"), "こんにちは"), 1u);
  EXPECT_EQ(count(post(v, "104", "MSG2", "", "%82%B1%82%F1%82%C9%82%BF%82%CD"), "こんにちは"), 2u);

  // A vote by day is taken at once and its option goes.
  std::string voted = post(v, "105", "VOTE", "1");
  EXPECT_TRUE(has(voted, "【投　票】アナタは<B>"));
  EXPECT_FALSE(has(voted, "<OPTION value=\"VOTE\">"));
}

TEST(Script2004, RequestsFromNoEntranceLeaveThePlayerOut) {
  Village v("/jinro/", "day-night", 1, Dialect::Script2004);
  for (const auto& [method, body] : {std::pair<std::string, std::string>{"POST", ""}, {"GET", ""},
                                     {"POST", "COMMAND=&TXTPNO=3&VILLAGENO=1"}, {"POST", "%zz"}}) {
    SCOPED_TRACE(method + " " + body);
    HttpResponse r = send(v, method, kCgi, body);
    EXPECT_EQ(r.status, 200);
    EXPECT_TRUE(has(r.body, "<TITLE>「汝は人狼なりや？」スクリプト</TITLE>"));
    EXPECT_TRUE(has(r.body, kWrongEntrance));
    EXPECT_FALSE(has(r.body, "TXTPNO"));
    EXPECT_FALSE(has(r.body, "<STYLE"));
  }
  EXPECT_TRUE(has(send(v, "GET", kCgi + "?room").body, "name=\"VILLAGENO\""));
  HttpResponse enter = send(v, "POST", kCgi, "VILLAGENO=1&COMMAND=ENTER");
  EXPECT_TRUE(has(enter.body, "<SELECT name=\"CMBPLAYER\">"));
  EXPECT_FALSE(has(enter.body, "selected"));
  ASSERT_FALSE(enter.headers.empty());
  EXPECT_TRUE(enter.headers[0].second.starts_with("SELECTROOM=1;"));
}

TEST(Script2004, NightDawnDayVoteAndNightAgain) {
  Village v("/jinro/", "day-night", 1, Dialect::Script2004);
  std::string night = post(v, "1");
  EXPECT_TRUE(isNight(night));
  EXPECT_FALSE(has(night, kActionPrompt));
  v.advance();
  std::string dawn = post(v, "2");
  EXPECT_TRUE(isNight(dawn));
  EXPECT_TRUE(has(dawn, kActionPrompt));
  std::string divined = post(v, "3", "FORTUNE", "1");
  EXPECT_TRUE(has(divined, "【能力発動】占いの結果、<B>"));
  EXPECT_FALSE(has(divined, "<OPTION value=\"FORTUNE\">"));
  v.advance();
  std::string day = post(v, "4");
  EXPECT_FALSE(isNight(day));
  EXPECT_TRUE(has(day, ".CLSTD01{ color : white; background-color : black;"));
  EXPECT_TRUE(has(day, "<BODY link=\"#FFCC00\""));
  EXPECT_TRUE(has(day, "<FONT size=\"+1\">2日目の朝となりました。</FONT>"));
  EXPECT_TRUE(has(day, "さんは翌日<FONT color=\"#ff0000\">無残な姿で発見された・・・。</FONT>"));
  EXPECT_TRUE(has(day, "【能力発動】占いの結果、<B>"));  // the night's result stays by day
  EXPECT_FALSE(has(day, kVotePrompt));
  v.advance();
  std::string vote = post(v, "5");
  EXPECT_TRUE(has(vote, kVotePrompt + "<BR>あと<FONT size=\"+2\">11</FONT>名の投票待ちとなっています。"));
  v.advance();
  std::string night2 = post(v, "6");
  EXPECT_TRUE(isNight(night2));
  EXPECT_TRUE(has(night2, "<FONT size=\"+1\">2日目の夜となりました。</FONT>"));
  EXPECT_TRUE(has(night2, "<BR><FONT size=\"+1\">2日目 投票結果。</FONT>"));
  EXPECT_TRUE(has(night2, "さんは村民協議の結果<FONT color=\"#ff0000\">処刑されました・・・。</FONT>"));
  EXPECT_TRUE(has(night2, "票</TD><TD>投票先 → <b>"));
  // The night's log shows no speech of the day.
  EXPECT_FALSE(has(night2, "<TD valign=\"top\" width=\"140\">"));
}

TEST(Script2004, LobbyFillsToTwentyTwoThenTheGameStartsAtNight) {
  Village v("/jinro/", "full-lobby-22", 1, Dialect::Script2004);
  for (size_t living : {20u, 21u, 22u}) {
    std::string lobby = post(v, std::to_string(living));
    EXPECT_TRUE(has(lobby, "<FONT size=\"+2\">事件前日</FONT>"));
    EXPECT_EQ(count(lobby, "（生存中）"), living);
    EXPECT_FALSE(has(lobby, "定員"));
    EXPECT_FALSE(isNight(lobby));
    v.advance();
  }
  // Full: no more villagers, and the next step began the game.
  std::string night = post(v, "30");
  EXPECT_FALSE(has(night, "事件前日"));
  EXPECT_TRUE(has(night, "１日目の夜となりました。"));
  std::string late = send(v, "POST", kCgi,
                          "VILLAGENO=1&TXTHN=h&CMBCOLOR=1&TXTNAME=x&TXTPROFILE=p&TXTPASS=ab&TXTMAIL=m&TXTLOGIN=1&COMMAND=ENTRY")
                         .body;
  EXPECT_TRUE(has(late, "申し訳ありません。既にゲームが開始しています。"));
  EXPECT_TRUE(has(send(v, "GET", kCgi + "?entry").body, "滞在可能な村がありませんでした。"));
}

TEST(Script2004, RegistrationAddsTheVillagerWhoThenLogsIn) {
  Village v("/jinro/", "registration", 1, Dialect::Script2004);
  std::string form = send(v, "GET", kCgi + "?entry").body;
  EXPECT_TRUE(has(form, "<B><FONT size=\"+2\">村民登録書</FONT></B>"));
  for (const char* field : {"TXTHN", "CMBCOLOR", "TXTNAME", "TXTPROFILE", "TXTPASS", "TXTMAIL"})
    EXPECT_TRUE(has(form, std::string("name=\"") + field + "\"")) << field;
  const std::string entry = "VILLAGENO=1&TXTHN=taro&CMBCOLOR=7&TXTNAME=%97%B7%8Bq&TXTPROFILE=p&TXTPASS=a01&TXTMAIL=m"
                           "&TXTLOGIN=1&COMMAND=ENTRY";  // 旅客
  std::string done = send(v, "POST", kCgi, entry).body;
  EXPECT_TRUE(has(done, "アナタは4人目の村民として登録が完了しました。"));
  EXPECT_TRUE(has(send(v, "POST", kCgi, "VILLAGENO=1&TXTNAME=y&TXTLOGIN=1&COMMAND=ENTRY").body,
                  "入力項目が正しくありません。"));
  std::string in = send(v, "POST", kCgi, "CMBPLAYER=4&TXTPASS=a01&TXTLOGIN=1&COMMAND=LOGIN&VILLAGENO=1").body;
  EXPECT_TRUE(has(in, "「<b>旅客</b>さん」が村へやってきました。"));
  EXPECT_EQ(hiddenValue(in, "TXTPNO"), "4");
}

TEST(Script2004, EachGameEndsWithItsOwnVictoryLine) {
  struct Case {
    const char* scenario;
    int victory;
  } cases[] = {{"game-village", 0}, {"game-wolves", 1}, {"game-fox", 2}, {"victory", 0}, {"victory-wolf", 1},
               {"victory-fox", 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scenario);
    Village v("/jinro/", c.scenario, 1, Dialect::Script2004);
    int steps = 0;
    while (!v.isOver() && steps < 20) {
      std::string page = post(v, std::to_string(100 + steps));
      for (const char* line : kVictories) EXPECT_FALSE(has(page, line));
      v.advance();
      ++steps;
    }
    ASSERT_TRUE(v.isOver());
    // game-*: night, dawn, day, vote, night, dawn, day, vote, the end.
    if (std::string(c.scenario).starts_with("game-")) {
      EXPECT_EQ(steps, 8);
    }
    std::string end = post(v, "999");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(has(end, kVictories[i]), i == c.victory) << i;
    EXPECT_FALSE(isNight(end));
    EXPECT_TRUE(has(end, "◆ 幽霊の間"));
    EXPECT_TRUE(has(end, "しました。</TD></TR>"));  // won or lost
    EXPECT_TRUE(has(end, "投票結果。"));
    EXPECT_FALSE(has(end, "処刑されました"));  // the deciding vote is told by its table
  }
}

TEST(Script2004, EveryDemoGameEnds) {
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    Village v("/jinro/", "demo", seed, Dialect::Script2004);
    v.advance(300);
    EXPECT_TRUE(v.isOver()) << seed;
    EXPECT_NE(v.stateJson().find("\"dialect\":\"2004\""), std::string::npos);
  }
}

TEST(Script2004, ScenariosOfTheOtherDialectAreRefused) {
  Village v("/jinro/", "huge", 1, Dialect::Script2004);
  EXPECT_EQ(v.scenarioName(), "demo");
  EXPECT_EQ(send(v, "GET", "/__control/scenario?name=eucjp").status, 404);
  EXPECT_EQ(send(v, "GET", "/__control/scenario?name=full-lobby-22").status, 200);
  EXPECT_EQ(send(v, "GET", "/__control/scenarios").body.find("random-bytes"), std::string::npos);
}

// Failures asked for on the control path: pages of the server, not of the
// game, and the game does not see the requests.
void expectFailures(Village& v, const std::string& gameBody, const std::string& entryBody, const std::string& gameMarker) {
  HttpResponse r = send(v, "GET", "/__control/fail-next?n=2");
  EXPECT_NE(r.body.find("\"fail_next\":2"), std::string::npos);
  std::string step = v.stateJson().substr(0, v.stateJson().find(",\"formid\""));
  // Entering the game is not in-game and is answered as ever.
  EXPECT_TRUE(has(send(v, "POST", kCgi, entryBody).body, gameMarker));
  for (int i = 0; i < 2; ++i) {
    HttpResponse failed = send(v, "POST", kCgi, gameBody);
    EXPECT_TRUE(has(failed.body, "<TITLE>") || has(failed.body, "<title>"));
    EXPECT_TRUE(has(failed.body, "混み合っています"));
    EXPECT_FALSE(has(failed.body, gameMarker));
    for (const char* field : {"TXTPNO", "FORMID", "COMMAND", "TXTMSG", "<input", "<INPUT"})
      EXPECT_FALSE(has(failed.body, field)) << field;
  }
  EXPECT_NE(v.stateJson().find("\"fail_next\":0"), std::string::npos);
  EXPECT_EQ(v.stateJson().substr(0, step.size()), step);
  EXPECT_TRUE(has(send(v, "POST", kCgi, gameBody).body, gameMarker));
  // A failure with another status, and a cancel.
  send(v, "GET", "/__control/fail-next?n=1&status=503");
  EXPECT_EQ(send(v, "POST", kCgi, gameBody).status, 503);
  send(v, "GET", "/__control/fail-next?n=5");
  send(v, "GET", "/__control/fail-next?n=0");
  EXPECT_TRUE(has(send(v, "POST", kCgi, gameBody).body, gameMarker));
}

TEST(FailNext, AnswersInGamePostsWithAServerPageInBothDialects) {
  {
    SCOPED_TRACE("standard");
    Village v("/jinro/", "day-night", 1);
    EXPECT_NE(v.stateJson().find("\"dialect\":\"standard\""), std::string::npos);
    expectFailures(v, "COMMAND=MSG&TXTMSG=hi&TXTPNO=3&TXTPASS=pass&VILLAGENO=123&TXTLOGIN=1",
                   "COMMAND=LOGIN&VILLAGENO=123&TXTPNO=3&TXTPASS=pass", "行動/更新");
  }
  {
    SCOPED_TRACE("2004");
    Village v("/jinro/", "day-night", 1, Dialect::Script2004);
    expectFailures(v, "COMMAND=&CMBPLAYER=&TXTMSG=&TXTPNO=3&VILLAGENO=1&TXTLOGIN=2&FORMID=7", kLogin, "上の内容で行動");
  }
}

}  // namespace
}  // namespace village
