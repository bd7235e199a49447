// The village's pages, read the way the client reads them: every decision is
// a findText search on the Shift_JIS bytes.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/text_scan.h"
#include "village.h"

namespace village {
namespace {

using jinro::findText;
using jinro::kNotFound;

// The game's own texts, in Shift_JIS.
const std::string kActionButton = "\x8Ds\x93\xAE/\x8DX\x90V";  // 行動/更新
const std::string kRedisplayButton = "\x8D\xC4\x95\\\x8E\xA6";  // 再表示
const std::string kPreDay = ">\x8E\x96\x8C\x8F\x91O\x93\xFA<";  // >事件前日<
const std::string kCapacity = "\x81i\x92\xE8\x88\xF5\x81" "F";  // （定員：
const std::string kLiving = "[\x90\xB6\x91\xB6\x92\x86";  // [生存中
const std::string kPerson = "\x90l";  // 人
const std::string kBanchi = "\x94\xD4\x92n<";  // 番地<
const std::string kMark = ">\x81\x9F<";  // >◆<
const std::string kGhostRoom = "\x81\x9F \x97H\x97\xEC\x82\xCC\x8A\xD4";  // ◆ 幽霊の間
const std::string kVotePrompt = "\x93\x8A\x95[</font>\x82\xF0\x8Ds\x82\xC1\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81" "B";  // 投票</font>を行ってください。
const std::string kActionPrompt = "\x94\\\x97\xCD\x91\xCE\x8F\xDB</font>\x82\xF0\x8C\x88\x92\xE8\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81" "B";  // 能力対象</font>を決定してください。
const std::string kVillageWins = "\x81u\x91\xBA\x81@\x90l\x81v\x82\xCC\x8F\x9F\x97\x98\x82\xC5\x82\xB7\x81I</font>";  // 「村　人」の勝利です！</font>
const std::string kWolvesWin = "\x90l\x81@\x98T</font>\x81v\x82\xCC\x8F\x9F\x97\x98\x82\xC5\x82\xB7\x81I</font>";  // 人　狼</font>」の勝利です！</font>
const std::string kFoxWins = "\x97" "d\x81@\x8C\xCF</font>\x81v\x82\xCC\x8F\x9F\x97\x98\x82\xC5\x82\xB7\x81I</font>";  // 妖　狐</font>」の勝利です！</font>
const std::string kDraw = "\x81u\x88\xF8\x82\xAB\x95\xAA\x82\xAF\x81v\x82\xC5\x82\xB7\x81I</font>";  // 「引き分け」です！</font>
const std::string kCatWins = "\x94L\x81@\x96\x94</font>\x81v\x82\xCC\x8F\x9F\x97\x98\x82\xC5\x82\xB7\x81I</font>";  // 猫　又</font>」の勝利です！</font>
const std::string kRegistration = "<B>\x91\xBA\x96\xAF\x93o\x98^\x8F\x91</B>";  // <B>村民登録書</B>
const std::string kDayWord = "\x93\xFA\x96\xDA";  // 日目
const std::string kRoleLink = "\x83" "A\x83i\x83^\x82\xCC\x96\xF0\x8A\x84\x82\xCD\x81u<A href=\"jinro_rule.html\"";  // アナタの役割は「<A href="jinro_rule.html"
const std::string kHello = "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD";  // こんにちは
const std::string kTraveller = "\x97\xB7\x90l";  // 旅人

const std::string kCgi = "/jinro/cgi_jinro.cgi";
const std::string kLogin = "TXTPNO=3&TXTPASS=pass&VILLAGENO=123&TXTLOGIN=1";

HttpResponse send(Village& v, const std::string& method, const std::string& target, const std::string& body = "") {
  HttpRequest r;
  r.method = method;
  r.target = target;
  r.version = "HTTP/1.1";
  if (method == "POST") r.headers.emplace_back("Content-Type", "application/x-www-form-urlencoded");
  r.body = body;
  return v.handle(r);
}

// The page a logged-in player sees after posting body (the client's refresh
// when body is the login fields with COMMAND=MSG and an empty message).
std::string playerPage(Village& v, const std::string& extra = "COMMAND=MSG&CMBPLAYER=&TXTMSG=&") {
  HttpResponse r = send(v, "POST", kCgi, extra + kLogin);
  EXPECT_EQ(r.status, 200);
  return r.body;
}

bool has(const std::string& page, const std::string& text) { return findText(page, 0, text) != kNotFound; }

// The night test: ".CLSTD01", then "black" no later than the end of the
// page's first "background-color".
bool isNight(const std::string& page) {
  size_t l = findText(page, 0, ".CLSTD01");
  if (l == kNotFound) return false;
  size_t r = findText(page, 0, "background-color");
  if (r == kNotFound) return false;
  size_t m = findText(page, l + 8, "black");
  if (m == kNotFound) return false;
  return m <= r + 16;
}

// The number between a marker and the next "人", as the lobby's numbers are
// read: optional space (after the living marker), optional sign, digits.
long numberAfter(const std::string& page, const std::string& marker, bool skipSpace) {
  size_t at = findText(page, 0, marker);
  if (at == kNotFound) return 0;
  size_t start = at + marker.size();
  if (skipSpace && start < page.size() && page[start] == ' ') ++start;
  size_t end = findText(page, start, kPerson);
  if (end == kNotFound) return 0;
  return std::strtol(page.substr(start, end - start).c_str(), nullptr, 10);
}

// The value of a form control, found as the client finds it: the first
// occurrence of the name outside a link, then value=.
std::string formValue(const std::string& page, const std::string& name) {
  size_t from = 0;
  while (true) {
    size_t at = findText(page, from, name);
    if (at == kNotFound) return "";
    size_t tagStart = page.rfind('<', at);
    size_t tagEnd = page.find('>', at);
    if (tagStart == std::string::npos || tagEnd == std::string::npos) {
      from = at + 1;
      continue;
    }
    size_t link = findText(page, tagStart, "a href");
    if (link != kNotFound && link + 6 <= tagEnd) {
      from = at + 1;
      continue;
    }
    size_t value = findText(page, tagStart, "value");
    if (value == kNotFound || value > tagEnd) return "";
    size_t p = page.find('=', value) + 1;
    while (page[p] == ' ') ++p;
    if (page[p] == '"') {
      size_t end = page.find('"', p + 1);
      return end > tagEnd ? "" : page.substr(p + 1, end - p - 1);
    }
    size_t end = page.find_first_of("> ", p);
    return page.substr(p, end - p);
  }
}

// The speech part that the speech copy takes: from the "◆" of the first row
// to the row that begins "<td colspan=".
std::string speechPart(const std::string& page) {
  size_t a = findText(page, 0, kBanchi);
  if (a == kNotFound) return "";
  size_t b = findText(page, a + kBanchi.size(), "cell");
  if (b == kNotFound) return "";
  size_t c = findText(page, b + 4, "160");
  if (c == kNotFound) return "";
  size_t d = findText(page, c + 3, kMark);
  if (d == kNotFound) return "";
  size_t end = findText(page, d + 1, "<td colspan=");
  if (end == kNotFound) return "";
  return page.substr(d + 1, end - d - 1);
}

// The digit that the log title takes: the byte before the tag that ends just
// before a "日目" that has ">" before it and "<" or a space after it.
char dayDigit(const std::string& page) {
  size_t from = 0;
  while (true) {
    size_t at = findText(page, from, kDayWord);
    if (at == kNotFound) return 0;
    char after = at + 4 < page.size() ? page[at + 4] : 0;
    if (at > 0 && page[at - 1] == '>' && (after == '<' || after == ' ')) {
      size_t lt = page.rfind('<', at - 1);
      return lt == 0 || page[lt - 1] == '>' ? 0 : page[lt - 1];
    }
    from = at + 1;
  }
}

TEST(VillagePages, DayPageCarriesEveryMarkerWhereTheClientLooks) {
  Village v("/jinro/", "day-night", 1);
  std::string page = playerPage(v);
  // Title, game page, login values in the order the refresh posts them.
  size_t t = findText(page, 0, "<title>");
  ASSERT_NE(t, kNotFound);
  EXPECT_NE(findText(page, t, "</title>"), kNotFound);
  EXPECT_TRUE(has(page, kActionButton));
  EXPECT_FALSE(has(page, kPreDay));
  EXPECT_EQ(formValue(page, "TXTPNO"), "3");
  EXPECT_EQ(formValue(page, "TXTPASS"), "pass");
  EXPECT_EQ(formValue(page, "VILLAGENO"), "123");
  EXPECT_EQ(formValue(page, "TXTLOGIN"), "1");
  EXPECT_FALSE(formValue(page, "FORMID").empty());
  EXPECT_TRUE(has(page, "name=\"COMMAND\""));
  EXPECT_TRUE(has(page, "name=\"CMBPLAYER\""));
  EXPECT_TRUE(has(page, "name=\"TXTMSG\""));
  // Day, day 1, the role link, no prompt yet.
  EXPECT_FALSE(isNight(page));
  EXPECT_EQ(dayDigit(page), '1');
  EXPECT_TRUE(has(page, kRoleLink));
  EXPECT_TRUE(has(page, "./"));
  EXPECT_FALSE(has(page, kVotePrompt));
  EXPECT_FALSE(has(page, kActionPrompt));
  // The speech table: the first speech begins with its "◆", every row ends
  // with "</tr>", and the "<table" after "番地<" is the speech table.
  std::string speeches = speechPart(page);
  ASSERT_FALSE(speeches.empty());
  EXPECT_EQ(speeches.substr(0, 2), "\x81\x9F");
  EXPECT_NE(findText(speeches, 0, "</tr>"), kNotFound);
  size_t table = findText(page, findText(page, 0, kBanchi), "<table");
  size_t firstRow = findText(page, table, "<tr>");
  EXPECT_LT(findText(page, table, "cell"), firstRow);
  EXPECT_EQ(findText(page, table, "160"), findText(page, firstRow, "160"));
}

TEST(VillagePages, FormIdChangesOnEveryPage) {
  Village v("/jinro/", "day-night", 1);
  std::string a = formValue(playerPage(v), "FORMID");
  std::string b = formValue(playerPage(v), "FORMID");
  std::string c = formValue(send(v, "GET", kCgi + "?COMMAND=VIEW&VILLAGENO=123").body, "FORMID");
  EXPECT_NE(a, b);
  EXPECT_NE(b, c);
  EXPECT_NE(a, c);
}

TEST(VillagePages, PhasesAlternateDayVoteNightAndPassTheNightTest) {
  Village v("/jinro/", "day-night", 1);
  EXPECT_FALSE(isNight(playerPage(v)));
  v.advance();  // vote
  std::string vote = playerPage(v);
  EXPECT_FALSE(isNight(vote));
  EXPECT_TRUE(has(vote, kVotePrompt));
  EXPECT_FALSE(has(vote, kActionPrompt));
  v.advance();  // night: the seer is asked for a target
  std::string night = playerPage(v);
  EXPECT_TRUE(isNight(night));
  EXPECT_TRUE(has(night, kActionPrompt));
  EXPECT_FALSE(has(night, kVotePrompt));
  EXPECT_EQ(dayDigit(night), '1');
  // Once the seer has chosen, the prompt goes.
  std::string chosen = playerPage(v, "COMMAND=ACTION&CMBPLAYER=1&TXTMSG=&");
  EXPECT_FALSE(has(chosen, kActionPrompt));
  v.advance();  // day 2
  std::string day2 = playerPage(v);
  EXPECT_FALSE(isNight(day2));
  EXPECT_EQ(dayDigit(day2), '2');
  // A vote removes the vote prompt.
  v.advance();
  std::string voted = playerPage(v, "COMMAND=VOTE&CMBPLAYER=1&TXTMSG=&");
  EXPECT_FALSE(has(voted, kVotePrompt));
}

TEST(VillagePages, TheNightTestOfTheStyleBlockAloneDecides) {
  // The day rule writes black after background-color, the night rule before.
  EXPECT_FALSE(isNight(".CLSTD01 { color: white; background-color: black }"));
  EXPECT_TRUE(isNight(".CLSTD01 { color: black; background-color: white }"));
  Village v("/jinro/", "day-night", 1);
  v.advance(2);
  std::string night = playerPage(v);
  // No background-color anywhere before the .CLSTD01 rule, which would move
  // the end of the test's window.
  EXPECT_LT(findText(night, 0, ".CLSTD01"), findText(night, 0, "background-color"));
}

TEST(VillagePages, LobbyFillsUpAndShowsEqualNumbersWhenFull) {
  for (const char* scenario : {"full-lobby", "full-lobby-nospace"}) {
    SCOPED_TRACE(scenario);
    Village v("/jinro/", scenario, 1);
    std::string lobby = playerPage(v);
    EXPECT_TRUE(has(lobby, kPreDay));
    EXPECT_TRUE(has(lobby, kActionButton));
    EXPECT_FALSE(isNight(lobby));
    EXPECT_EQ(numberAfter(lobby, kCapacity, false), 16);
    EXPECT_EQ(numberAfter(lobby, kLiving, true), 15);
    v.advance();
    std::string full = playerPage(v);
    EXPECT_EQ(numberAfter(full, kCapacity, false), 16);
    EXPECT_EQ(numberAfter(full, kLiving, true), 16);
    bool spaced = has(full, kLiving + " 16" + kPerson);
    EXPECT_EQ(spaced, std::string(scenario) == "full-lobby");
    // Spectators see the same numbers, with the other button.
    std::string spectator = send(v, "GET", kCgi + "?COMMAND=VIEW&VILLAGENO=123").body;
    EXPECT_TRUE(has(spectator, kRedisplayButton));
    EXPECT_FALSE(has(spectator, kActionButton));
    EXPECT_EQ(numberAfter(spectator, kLiving, true), 16);
    // The next step starts the game: day 1, no longer the day before.
    v.advance();
    std::string day1 = playerPage(v);
    EXPECT_FALSE(has(day1, kPreDay));
    EXPECT_EQ(dayDigit(day1), '1');
  }
}

TEST(VillagePages, EachEndShowsExactlyItsOwnTrigger) {
  struct Case {
    const char* scenario;
    const std::string* trigger;
  } cases[] = {{"victory", &kVillageWins}, {"victory-wolf", &kWolvesWin}, {"victory-fox", &kFoxWins},
               {"victory-cat", &kCatWins}, {"draw", &kDraw}};
  const std::string* all[] = {&kVillageWins, &kWolvesWin, &kFoxWins, &kCatWins, &kDraw};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scenario);
    Village v("/jinro/", c.scenario, 1);
    std::string before = playerPage(v);
    EXPECT_TRUE(has(before, kVotePrompt));
    for (const std::string* t : all) EXPECT_FALSE(has(before, *t));
    v.advance();
    std::string page = playerPage(v);
    for (const std::string* t : all) EXPECT_EQ(has(page, *t), t == c.trigger);
    EXPECT_FALSE(has(page, kVotePrompt));
    EXPECT_FALSE(has(page, kActionPrompt));
    EXPECT_TRUE(has(page, kActionButton));
    EXPECT_FALSE(has(page, kPreDay));  // the log links must not look like the lobby
    EXPECT_FALSE(isNight(page));
    // The logs of the finished game are linked relatively, the role too.
    EXPECT_TRUE(has(page, "<A href=\"cgi_jinro.cgi?COMMAND=LOGVIEW"));
    EXPECT_TRUE(has(page, kRoleLink));
    EXPECT_TRUE(has(page, kGhostRoom));
    // The log of day 1 is there, titled by its day.
    HttpResponse log = send(v, "GET", kCgi + "?COMMAND=LOGVIEW&VILLAGENO=123&DAY=1");
    EXPECT_EQ(log.status, 200);
    EXPECT_EQ(dayDigit(log.body), '1');
    EXPECT_FALSE(speechPart(log.body).empty());
  }
}

TEST(VillagePages, RegistrationPageIsNoGamePage) {
  Village v("/jinro/", "registration", 1);
  std::string page = send(v, "GET", kCgi + "?COMMAND=ENTRY&VILLAGENO=123").body;
  EXPECT_TRUE(has(page, kRegistration));
  EXPECT_FALSE(has(page, kActionButton));
  EXPECT_FALSE(has(page, kRedisplayButton));
  // Registering (name 旅人 in Shift_JIS, percent-encoded) logs the new villager in.
  std::string regist = send(v, "POST", kCgi, "COMMAND=REGIST&VILLAGENO=123&TXTNAME=%97%B7%90l&TXTPASS=abc").body;
  EXPECT_TRUE(has(regist, kActionButton));
  EXPECT_TRUE(has(regist, kPreDay));
  EXPECT_EQ(formValue(regist, "TXTPNO"), "4");
  EXPECT_EQ(formValue(regist, "TXTPASS"), "abc");
  EXPECT_TRUE(has(regist, kTraveller));
  // Names that hold what the pages are read by are refused: 3番地, TxtPno.
  for (const char* name : {"3%94%D4%92n", "TxtPno"}) {
    std::string refused = send(v, "POST", kCgi, std::string("COMMAND=REGIST&TXTNAME=") + name + "&TXTPASS=abc").body;
    EXPECT_TRUE(has(refused, kRegistration)) << name;
  }
  // A password that the refresh could not post back as it stands is refused.
  std::string bad = send(v, "POST", kCgi, "COMMAND=REGIST&VILLAGENO=123&TXTNAME=x&TXTPASS=a%26b").body;
  EXPECT_TRUE(has(bad, kRegistration));
  EXPECT_EQ(numberAfter(send(v, "GET", kCgi + "?COMMAND=VIEW").body, kLiving, true), 4);
}

TEST(VillagePages, PostedSpeechAppearsEscapedInTheSpeechTable) {
  Village v("/jinro/", "day-night", 1);
  // こんにちは<b>&"x" in Shift_JIS, then a line break and a lone lead byte.
  std::string page =
      playerPage(v, "COMMAND=MSG&CMBPLAYER=&TXTMSG=%82%B1%82%F1%82%C9%82%BF%82%CD%3Cb%3E%26%22x%22%0D%0Anext+line%82&");
  std::string speeches = speechPart(page);
  std::string expected = kHello + "&lt;b&gt;&amp;&quot;x&quot;<br>next line";
  size_t at = findText(speeches, 0, expected);
  ASSERT_NE(at, kNotFound);
  // Speaker and speech share one row; the row still ends properly, so the
  // undecodable byte swallowed nothing.
  size_t rowStart = speeches.rfind("<tr>", at);
  EXPECT_NE(findText(speeches.substr(rowStart), 0, kTraveller), kNotFound);
  EXPECT_NE(findText(speeches, at, "</td></tr>"), kNotFound);
  EXPECT_FALSE(has(speeches, "<b>"));
  // An empty message is only a refresh.
  size_t rows = 0;
  for (size_t p = 0; (p = findText(page, p, "<tr><td width=\"160\"")) != kNotFound; ++p) ++rows;
  std::string again = playerPage(v);
  size_t rowsAgain = 0;
  for (size_t p = 0; (p = findText(again, p, "<tr><td width=\"160\"")) != kNotFound; ++p) ++rowsAgain;
  EXPECT_EQ(rows, rowsAgain);
}

TEST(VillagePages, SpeechesCannotHideTheLoginFields) {
  Village v("/jinro/", "day-night", 1);
  std::string page = playerPage(v, "COMMAND=MSG&CMBPLAYER=&TXTMSG=TXTPNO+value%3D9+FORMID+VILLAGENO&");
  EXPECT_EQ(formValue(page, "TXTPNO"), "3");
  EXPECT_EQ(formValue(page, "VILLAGENO"), "123");
  EXPECT_FALSE(formValue(page, "FORMID").empty());
  // In reverse-row mode the copy ends at the first input after the speeches.
  size_t speeches = findText(page, 0, kBanchi);
  EXPECT_NE(findText(page, speeches, "<input"), kNotFound);
}

TEST(VillagePages, DeadPlayersSpeakInTheGhostRoom) {
  // In a finished game everyone speaks in the open; the ghost room is shown.
  Village v("/jinro/", "victory", 1);
  v.advance();
  std::string page = playerPage(v, "COMMAND=MSG&CMBPLAYER=&TXTMSG=%82%B1%82%F1%82%C9%82%BF%82%CD&");
  EXPECT_NE(findText(speechPart(page), 0, kHello), kNotFound);
  EXPECT_LT(findText(page, 0, "<td colspan="), findText(page, 0, kGhostRoom));
}

TEST(VillagePages, BadRequestsGetAnErrorPage) {
  Village v("/jinro/", "day-night", 1);
  struct Case {
    std::string method, target, body;
    int status;
  } cases[] = {
      {"POST", kCgi, "COMMAND=MSG&TXTMSG=%zz&" + kLogin, 400},
      {"POST", kCgi, "COMMAND=MSG&TXTMSG=%4", 400},
      {"POST", kCgi, "COMMAND=FLY&" + kLogin, 400},
      {"POST", kCgi, "COMMAND=MSG&TXTMSG=hi&TXTPNO=3&TXTPASS=wrong", 403},
      {"POST", kCgi, "COMMAND=LOGIN&TXTPNO=99999999999999999999&TXTPASS=pass", 403},
      {"GET", kCgi + "?COMMAND=LOGVIEW&DAY=99", "", 404},
      {"GET", kCgi + "?VILLAGENO=7", "", 404},
      {"GET", "/jinro/nothing.html", "", 404},
      {"GET", "/elsewhere", "", 404},
      {"DELETE", kCgi, "", 405},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target + " " + c.body);
    HttpResponse r = send(v, c.method, c.target, c.body);
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(has(r.body, "<title>"));
    EXPECT_FALSE(has(r.body, kActionButton));
    EXPECT_NE(r.contentType.find("Shift_JIS"), std::string::npos);
  }
  HttpRequest huge;
  huge.method = "POST";
  huge.target = kCgi;
  huge.bodyRefused = true;
  EXPECT_EQ(v.handle(huge).status, 413);
  // The game goes on.
  EXPECT_TRUE(has(playerPage(v), kActionButton));
}

TEST(VillagePages, RandomBodiesNeverBreakTheVillage) {
  Village v("/jinro/", "day-night", 7);
  std::mt19937 rng(42);
  const std::string pieces[] = {"COMMAND=", "MSG", "VOTE", "ACTION", "LOGVIEW", "&", "=", "%", "%8", "%82%A0",
                                "TXTMSG=",  "TXTPNO=3", "TXTPASS=pass", "CMBPLAYER=", "DAY=", "-1", "+", "\x82",
                                "\x00", "\xff", "999999999999", "VILLAGENO=123"};
  for (int i = 0; i < 3000; ++i) {
    std::string body;
    int n = static_cast<int>(rng() % 12);
    for (int k = 0; k < n; ++k) body += pieces[rng() % std::size(pieces)];
    HttpResponse r = send(v, "POST", kCgi, body);
    ASSERT_TRUE(r.status == 200 || r.status == 400 || r.status == 403 || r.status == 404) << r.status;
    ASSERT_TRUE(has(r.body, "</html>"));
    if (i % 100 == 0) v.advance();
  }
}

TEST(VillagePages, EntryFramesetIndexAndRulesAreServed) {
  Village v("/jinro/", "demo", 1);
  std::string entry = send(v, "GET", "/jinro/index2.html").body;
  EXPECT_TRUE(has(entry, "action=\"cgi_jinro.cgi\""));
  EXPECT_FALSE(has(entry, kActionButton));
  EXPECT_TRUE(has(send(v, "GET", "/jinro/").body, "<frameset"));
  EXPECT_EQ(send(v, "GET", "/jinro/index.html").status, 200);
  EXPECT_EQ(send(v, "GET", "/jinro/jinro_rule.html").status, 200);
  // The login form, posted as it stands, logs the scenario's player in.
  std::string page = send(v, "POST", kCgi, "COMMAND=LOGIN&VILLAGENO=123&TXTPNO=3&TXTPASS=pass").body;
  EXPECT_TRUE(has(page, kActionButton));
  EXPECT_EQ(formValue(page, "TXTPNO"), "3");
}

TEST(VillagePages, OtherEncodingsDeclareTheirCharset) {
  Village u("/jinro/", "utf8", 1);
  HttpResponse r = send(u, "POST", kCgi, "COMMAND=MSG&" + kLogin);
  EXPECT_NE(r.contentType.find("UTF-8"), std::string::npos);
  EXPECT_NE(r.body.find("charset=UTF-8"), std::string::npos);
  EXPECT_NE(r.body.find("行動/更新"), std::string::npos);
  Village e("/jinro/", "eucjp", 1);
  r = send(e, "POST", kCgi, "COMMAND=MSG&" + kLogin);
  EXPECT_NE(r.body.find("charset=EUC-JP"), std::string::npos);
  EXPECT_NE(r.body.find("\xB9\xD4\xC6\xB0/\xB9\xB9\xBF\xB7"), std::string::npos);  // 行動/更新 in EUC-JP
}

TEST(VillagePages, HostilePagesAreWhatTheirNamesSay) {
  auto countOf = [](const std::string& page, const std::string& what) {
    size_t n = 0;
    for (size_t p = 0; (p = page.find(what, p)) != std::string::npos; p += what.size()) ++n;
    return n;
  };
  Village v("/jinro/", "huge", 1);
  std::string a = send(v, "POST", kCgi, "COMMAND=MSG&" + kLogin).body;
  std::string b = send(v, "GET", "/jinro/index2.html").body;
  EXPECT_GT(a.size(), 5u * 1024 * 1024);
  EXPECT_NE(formValue(a, "FORMID"), formValue(b, "FORMID"));
  EXPECT_TRUE(has(a, kActionButton));
  v.setScenario("rows-100000");
  // The speech rows, the day's header row, the village cell and the closing row.
  EXPECT_EQ(countOf(send(v, "GET", kCgi).body, "<tr>"), 100000u + 3);
  v.setScenario("nested-10000");
  EXPECT_EQ(countOf(send(v, "GET", kCgi).body, "<table>"), 10000u);
  v.setScenario("random-bytes");
  EXPECT_EQ(send(v, "GET", kCgi).body.size(), 1u << 20);
  v.setScenario("self-navigate");
  EXPECT_NE(send(v, "GET", kCgi).body.find("location.replace"), std::string::npos);
  v.setScenario("opens-windows");
  EXPECT_NE(send(v, "GET", kCgi).body.find("window.open"), std::string::npos);
}

TEST(VillagePages, PaddedScenariosGiveLongPagesThatReadAsTheirOwn) {
  // Near 500 kB, under the 511,999 bytes of page text the client keeps.
  auto nearHalfAMegabyte = [](const std::string& page) { return page.size() >= 500000 && page.size() < 502000; };
  Village v("/jinro/", "day-night-500k", 1);
  std::string day = playerPage(v);
  EXPECT_TRUE(nearHalfAMegabyte(day)) << day.size();
  EXPECT_EQ(dayDigit(day), '1');
  EXPECT_FALSE(isNight(day));
  EXPECT_GT(speechPart(day).size(), 490000u);
  v.advance(2);
  std::string night = playerPage(v);
  EXPECT_TRUE(nearHalfAMegabyte(night)) << night.size();
  EXPECT_TRUE(isNight(night));
  EXPECT_TRUE(has(night, kActionPrompt));
  v.setScenario("victory-500k");
  EXPECT_TRUE(has(playerPage(v), kVotePrompt));
  v.advance();
  std::string won = playerPage(v);
  EXPECT_TRUE(nearHalfAMegabyte(won)) << won.size();
  EXPECT_TRUE(has(won, kVillageWins));
}

TEST(VillageGame, EveryGameComesToAnEnd) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    for (const char* scenario : {"demo", "day-night"}) {
      Village v("/jinro/", scenario, seed);
      v.advance(200);
      std::string state = v.stateJson();
      EXPECT_NE(state.find("\"phase\":\"over\""), std::string::npos) << scenario << " " << seed << state;
      EXPECT_EQ(state.find("\"winner\":\"none\""), std::string::npos) << scenario << " " << seed;
      // The player is never attacked or executed, and still sees the game.
      Village& village = v;
      EXPECT_TRUE(has(playerPage(village), kActionButton));
    }
  }
}

}  // namespace
}  // namespace village
