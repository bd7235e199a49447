// What a completed page says, read without acting on it; the fast reading
// against the same algorithm over the reference text primitives.
#include "page/page_reading.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <sstream>

#include "base/code_page.h"
#include "page/page_limits.h"
#include "page/page_reading_impl.h"
#include "reference/text_scan_reference.h"
#include "unit/default_triggers.h"

namespace jinro {
namespace {

std::string sj(std::string_view utf8) { return utf8ToShiftJis(utf8); }

// Every field, strings quoted and escaped, so that two readings print the
// same exactly when they are the same.
std::string show(const PageReading& p) {
  std::ostringstream o;
  auto q = [](const std::string& s) { return ::testing::PrintToString(s); };
  o << "titled=" << p.titled << " caption=" << q(p.caption) << " url=" << q(p.url) << " preDay=" << p.preDay
    << " capacity=" << p.capacity << " living=" << p.living << " gamePage=" << p.gamePage
    << " registrationOpen=" << p.registrationOpen << " login=";
  for (const std::string& v : p.loginValues) o << q(v) << ",";
  o << " postBody=" << q(p.postBody) << " event=" << (p.event ? keyPrefix(*p.event) : "none") << " night=" << p.night;
  return o.str();
}

// What a titled page says when nothing else on it counts.
PageReading titledPage(std::string caption, std::string url) {
  PageReading p;
  p.titled = true;
  p.caption = std::move(caption);
  p.url = std::move(url);
  return p;
}

// A game page as the game writes it; body in UTF-8.
std::string gamePage(bool night, std::string_view body = "", bool actionButton = true) {
  std::string h = "<html><head><title>1日目 - テスト村</title>\n<style>\n";
  h += night ? ".CLSTD01 { color: black; }\nbody { background-color: #000000; }\n"
             : ".CLSTD01 { color: white; }\nbody { background-color: black; }\n";
  h += "</style></head><body>\n<form action=\"cgi_jinro.cgi\" method=\"post\">\n"
       "<a href=\"cgi_jinro.cgi?COMMAND=LOGVIEW&amp;TXTPNO=99\">log</a>\n"
       "<input type=\"hidden\" name=\"TXTPNO\" value=\"3\">\n"
       "<input type=\"hidden\" name=\"TXTPASS\" value=\"pw\">\n"
       "<input type=\"hidden\" name=\"VILLAGENO\" value=\"12\">\n"
       "<input type=\"hidden\" name=\"TXTLOGIN\" value=\"1\">\n"
       "<input type=\"hidden\" name=\"FORMID\" value=\"f9\">\n";
  h += actionButton ? "<input type=\"submit\" value=\"行動/更新\">\n" : "<input type=\"submit\" value=\"再表示\">\n";
  h += "</form>\n" + std::string(body) + "\n</body></html>\n";
  return sj(h);
}

class PageReadingTest : public ::testing::Test {
 protected:
  void SetUp() override { test_files::applyDefaultTriggers(s); }
  PageReading read(std::string_view page, std::string_view url = "u") const {
    return readPage(pageTriggersFrom(s), page, url);
  }
  Settings s;
};

TEST_F(PageReadingTest, AnUntitledPageSaysNothing) {
  std::string noOpen = gamePage(true), noClose = gamePage(true);
  noOpen.replace(noOpen.find("<title>"), 7, "<titel>");
  noClose.replace(noClose.find("</title>"), 8, "</titel>");
  const std::string zeroFirst = std::string("<title>t\0</title>", 17) + sj("行動/更新");
  const std::string pastTheLimit = "<title>t" + std::string(kPageTextLimit - 15, ' ') + "</title>";
  for (const std::string& page : {noOpen, noClose, zeroFirst, pastTheLimit, std::string()}) {
    EXPECT_EQ(show(read(page, "http://x/")), show(PageReading{}));
  }
}

TEST_F(PageReadingTest, CaptionAndAddressAreCutOnACharacter) {
  EXPECT_EQ(show(read(sj("<HTML><TITLE>Mura ＡＢ 村</TITLE></HTML>"), "http://x/a")),
            show(titledPage("Mura ＡＢ 村", "http://x/a")));

  std::string longTitle = "x";
  for (int i = 0; i < 200; ++i) longTitle += sj("あ");
  // The title is cut in the page's bytes, then told in UTF-8.
  std::string kept;
  for (int i = 0; i < 127; ++i) kept += "あ";
  EXPECT_EQ(read("<title>" + longTitle + "</title>").caption, "x" + kept);
  kept.resize(kept.size() - 3);
  EXPECT_EQ(read("<title>y" + longTitle + "</title>").caption, "yx" + kept);  // never half a character

  const std::string longUrl = std::string(1022, 'u') + "あ";
  EXPECT_EQ(read("<title>t</title>", longUrl).url, longUrl.substr(0, 1022));
  EXPECT_EQ(read("<title>t</title>", std::string(3000, 'u')).url.size(), 1023u);

  // The page's last byte within 511,999 still counts.
  const std::string full = "<title>t" + std::string(kPageTextLimit - 16, ' ') + "</title>";
  ASSERT_EQ(full.size(), kPageTextLimit);
  EXPECT_EQ(read(full).caption, "t" + std::string(254, ' '));
}

TEST_F(PageReadingTest, PreDayPagesGiveTheLobbyCounts) {
  struct Case {
    const char* counts;
    long capacity, living;
    bool full;
  } cases[] = {
      {"（定員：16人） [生存中 16人]", 16, 16, true},
      {"（定員：16人） [生存中16人]", 16, 16, true},
      {"（定員： 16人） [生存中  16人]", 16, 16, true},  // blanks before the digits are skipped
      {"（定員：16人） [生存中 15人]", 16, 15, false},
      {"[生存中 16人]", 0, 16, false},
      {"（定員：１６人） [生存中 １６人]", 0, 0, false},  // full-width digits read as 0
      {"（定員：0人） [生存中 0人]", 0, 0, false},
      {"（定員：-2人） [生存中 -2人]", -2, -2, false},
      {"（定員：16 [生存中 16", 0, 0, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.counts);
    const PageReading p = read(sj("<title>前日</title><font size=\"+2\">事件前日</font>") + sj(k.counts));
    EXPECT_TRUE(p.preDay);
    EXPECT_EQ(p.capacity, k.capacity);
    EXPECT_EQ(p.living, k.living);
    EXPECT_EQ(p.lobbyFull(), k.full);
  }
  // Without the pre-day marker the counts are not read.
  const PageReading day = read(gamePage(false, "（定員：16人） [生存中 16人]"));
  EXPECT_FALSE(day.preDay);
  EXPECT_EQ(day.capacity, 0);
  EXPECT_EQ(day.living, 0);
}

TEST_F(PageReadingTest, GamePagesGiveTheLoginValuesAndTheRefreshBody) {
  PageReading day = titledPage("1日目 - テスト村", "http://x/cgi_jinro.cgi");
  day.gamePage = true;
  day.loginValues = {"3", "pw", "12", "1", "f9"};
  day.postBody = "COMMAND=MSG&CMBPLAYER=&TXTMSG=&TXTPNO=3&TXTPASS=pw&VILLAGENO=12&TXTLOGIN=1&FORMID=f9";
  EXPECT_EQ(show(read(gamePage(false), "http://x/cgi_jinro.cgi")), show(day));
  // The redisplay button alone: the login fields only.
  EXPECT_EQ(read(gamePage(false, "", false)).postBody, "TXTPNO=3&TXTPASS=pw&VILLAGENO=12&TXTLOGIN=1&FORMID=f9");
  // Absent controls give their names with nothing after.
  EXPECT_EQ(read(sj("<title>t</title><input type=submit value=\"再表示\">")).postBody,
            "TXTPNO=&TXTPASS=&VILLAGENO=&TXTLOGIN=&FORMID=");

  // The body holds 1,023 bytes: a field that would not fit whole is left out
  // with every field after it, even one that would fit.
  const std::string v(255, 'v');
  std::string page = sj("<title>t</title><input type=submit value=\"行動/更新\">");
  for (const char* name : {"TXTPNO", "TXTPASS", "VILLAGENO", "TXTLOGIN"})
    page += std::string("<input name=\"") + name + "\" value=\"" + v + "\">";
  const PageReading p = read(page + "<input name=FORMID value=f9>");
  EXPECT_EQ(p.loginValues, (LoginValues{v, v, v, v, "f9"}));
  EXPECT_EQ(p.postBody, "COMMAND=MSG&CMBPLAYER=&TXTMSG=&TXTPNO=" + v + "&TXTPASS=" + v + "&VILLAGENO=" + v);
}

TEST_F(PageReadingTest, OtherPagesTellOnlyWhetherRegistrationIsOpen) {
  PageReading registration = titledPage("登録", "u");
  registration.registrationOpen = true;
  EXPECT_EQ(show(read(sj("<html><title>登録</title><B>村民登録書</B></html>"))), show(registration));
  // Triggers, the night style and login controls count on game pages only.
  EXPECT_EQ(show(read(sj("<title>t</title><style>.CLSTD01 black background-color</style>「引き分け」です！</font>"
                         "<input name=TXTPNO value=3>"))),
            show(titledPage("t", "u")));
}

TEST_F(PageReadingTest, TheFirstEventInTheirOrderIsThePagesEvent) {
  struct Case {
    const char* body;
    std::optional<AlarmKind> event;
  } cases[] = {
      {"", std::nullopt},
      {"「引き分け」です！</font> 「村　人」の勝利です！</font>", AlarmKind::hikiwake},
      {"「引き分け」です！</font> <font>人　狼</font>」の勝利です！</font>", AlarmKind::jinro},
      {"猫　又</font>」の勝利です！</font> 投票</font>を行ってください。", AlarmKind::nekomata},
      {"能力対象</font>を決定してください。 投票</font>を行ってください。", AlarmKind::tohyo},
      {"能力対象</font>を決定してください。", AlarmKind::kodo},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.body);
    EXPECT_EQ(read(gamePage(true, k.body)).event, k.event);
  }
  // An empty trigger is found on every game page.
  s.alarm(AlarmKind::jinro).trigger.clear();
  EXPECT_EQ(read(gamePage(false)).event, AlarmKind::jinro);
}

TEST_F(PageReadingTest, NightNeedsItsThreeTextsInOrder) {
  auto night = [&](std::string_view style) { return read(sj("<title>t</title>再表示") + sj(style)).night; };
  EXPECT_TRUE(night(".CLSTD01 { color: black } body { background-color: #000 }"));
  // "black" may begin exactly where the first "background-color" ends.
  EXPECT_TRUE(night(".CLSTD01 background-colorblack"));
  EXPECT_FALSE(night(".CLSTD01 background-color-black"));
  EXPECT_FALSE(night(".CLSTD01 { background-color: black }"));
  EXPECT_FALSE(night("body { background-color: #fff } .CLSTD01 { color: black }"));
  EXPECT_FALSE(night("black .CLSTD01 background-color"));
  EXPECT_FALSE(night("body { color: black; background-color: #000 }"));
  EXPECT_FALSE(night(".CLSTD01 { color: black }"));
  EXPECT_TRUE(night(".clstd01 { COLOR: BLACK } BODY { Background-Color: #000 }"));
  // The right text is the page's first, wherever the left one stands.
  EXPECT_FALSE(night("p { background-color: red } .CLSTD01 { color: black; background-color: #000 }"));
  EXPECT_TRUE(read(gamePage(true)).night);
  EXPECT_FALSE(read(gamePage(false)).night);
}

TEST(FieldValue, ReadsTheValueOfTheFirstControlOutsideALink) {
  EXPECT_EQ(extractFieldValue("<INPUT TYPE=hidden NAME=txtpno VALUE=  \"a b\">", "TXTPNO"), "a b");
  EXPECT_EQ(extractFieldValue("<input name=TXTPNO value = 8 id=x>", "TXTPNO"), "8");
  // A single-quoted value ends at the next double quote while there is one.
  EXPECT_EQ(extractFieldValue("<input name='TXTPNO' value='7'><b class=\"x\">", "TXTPNO"), "");
  EXPECT_EQ(extractFieldValue("TXTPNO=1 <a href=\"x?TXTPNO=2\">l</a><A HREF=y?TXTPNO=4>m</A>"
                              "<input name=TXTPNO value=\"5\"><a href=z>",
                              "TXTPNO"),
            "5");
  // Only the first control outside a link counts, even without a value.
  EXPECT_EQ(extractFieldValue("<input name=TXTPNO><input name=TXTPNO value=5>", "TXTPNO"), "");
  std::string v = "x";
  for (int i = 0; i < 200; ++i) v += "\x82\xA0";
  EXPECT_EQ(extractFieldValue("<input name=A value=\"" + v + "\">", "A"), v.substr(0, 255));
  EXPECT_EQ(extractFieldValue("<input name=A value=\"y" + v + "\">", "A").size(), 254u);
}

// The same rule read plainly: a fresh search from every tag, nothing cached.
std::string plainFieldValue(std::string_view text, std::string_view name) {
  for (size_t pos = findText(text, 0, name); pos != kNotFound;
       pos = findText(text, pos + (isLeadByte(static_cast<unsigned char>(text[pos])) ? 2 : 1), name)) {
    const size_t lt = text.substr(0, pos).rfind('<');
    if (lt == std::string_view::npos) continue;
    const size_t gt = text.find('>', pos + 1);
    if (gt == std::string_view::npos) return {};
    const size_t href = findText(text, lt, "a href");
    if (href != kNotFound && href + 6 <= gt) continue;
    const size_t v = findText(text, lt, "value");
    if (v == kNotFound) return {};
    const size_t eq = text.find('=', v + 5);
    if (eq == std::string_view::npos) return {};
    size_t p = eq + 1;
    while (p < text.size() && text[p] == ' ') ++p;
    if (p >= text.size()) return {};
    const bool quoted = text[p] == '"' || text[p] == '\'';
    const size_t start = quoted ? p + 1 : p;
    size_t end = quoted ? text.find('"', start) : text.find_first_of("> ", p + 1);
    if (quoted && end == std::string_view::npos) end = text.find('\'', start);
    if (end == std::string_view::npos || end > gt) return {};
    return std::string(cutOnCharacterBoundary(text.substr(start, end - start), 255));
  }
  return {};
}

TEST(FieldValue, AgreesWithAFreshSearchFromEveryTagOnRandomTagSoup) {
  const std::vector<std::string> pieces = {"<",  ">",  "<", ">", "a href", "A HREF", "a hre", "TXTPNO", "txtpno",
                                           "value", "VALUE", "=", "\"", "'", " ", "x", "9", "\x82", "\x82\xA0",
                                           "\x81<", "\x93\xFA", "a", " href"};
  std::mt19937 rng(20261209);
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    for (int i = 1 + static_cast<int>(rng() % 40); i > 0; --i) text += pieces[rng() % pieces.size()];
    ASSERT_EQ(extractFieldValue(text, "TXTPNO"), plainFieldValue(text, "TXTPNO")) << text;
  }
}

TEST(ParseNumber, ReadsLikeTheCLibraryWithin255Bytes) {
  EXPECT_EQ(parseNumber(" \t+16x"), 16);
  EXPECT_EQ(parseNumber("- 7"), 0);
  EXPECT_EQ(parseNumber(std::string(255, ' ') + "5"), 0);
  EXPECT_EQ(parseNumber(std::string(254, ' ') + "5"), 5);
}

// Pages made of the texts the reading looks for, in random order and number,
// with lone lead bytes and zero bytes among them; now and then a trigger is
// one of the pieces or empty.
TEST_F(PageReadingTest, FastAndReferenceReadingsAgree) {
  const std::vector<std::string> pieces = {
      "<title>", "</title>", "<TITLE>", "t", sj("行動/更新"), sj("再表示"), sj(">事件前日<"), sj("（定員："),
      sj("[生存中"), " 16", "3", sj("人"), "<input name=", "TXTPNO", "TXTPASS", "VILLAGENO", "TXTLOGIN",
      "FORMID", " value=", "\"", "'", "<a href=", ">", "<", " ", ".CLSTD01", "black", "background-color",
      sj("投票</font>を行ってください。"), sj("「引き分け」です！</font>"), sj("<B>村民登録書</B>"),
      "\x82", "\x82\xA0", "\x81<", std::string(1, '\0'), "\x83" "a", std::string(300, 'w')};
  std::mt19937 rng(5150);
  const PageTriggers defaults = pageTriggersFrom(s);
  for (int round = 0; round < 3000; ++round) {
    // Triggers as the page is matched with them: the page's own bytes.
    PageTriggers t = defaults;
    if (round % 4 == 0)
      t.triggers[rng() % kAlarmKindCount] = std::string(analysis::untilZero(pieces[rng() % pieces.size()]));
    if (round % 7 == 0) t.nightMiddle.clear();
    std::string page;
    for (int i = 1 + static_cast<int>(rng() % 60); i > 0; --i) page += pieces[rng() % pieces.size()];
    const std::string url = round % 5 ? "http://x/" + std::to_string(round) : page;
    ASSERT_EQ(show(readPage(t, page, url)),
              show(analysis::readPageWith<reference::ReferenceTextOps>(t, page, url)))
        << ::testing::PrintToString(page);
  }
  for (const std::string& page : {gamePage(false), gamePage(true, "「村　人」の勝利です！</font>"),
                                  sj("<title>前日</title>>事件前日<（定員：8人）[生存中 8人]")}) {
    EXPECT_EQ(show(readPage(defaults, page, "u")),
              show(analysis::readPageWith<reference::ReferenceTextOps>(defaults, page, "u")));
  }
}

}  // namespace
}  // namespace jinro
