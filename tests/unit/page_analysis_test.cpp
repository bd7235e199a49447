#include "monitor/page_analysis.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "jinro/server_base_url.h"
#include "unit/default_triggers.h"
#include "logs/log_launch.h"
#include "monitor/alarm_player.h"
#include "monitor/text_scan.h"
#include "platform/code_page.h"
#include "platform/fake/fakes.h"

namespace jinro {
namespace {

std::string sj(std::string_view utf8) { return utf8ToShiftJis(utf8); }

// A shell whose message box runs a nested piece of work, as a modal box's
// own message loop would.
class ModalShell : public fake::FakeMainWindow {
 public:
  std::function<void()> whileShown;
  void showMessageBox(std::string_view text, std::string_view cap, MessageIcon icon) override {
    icons.push_back(icon);
    FakeMainWindow::showMessageBox(text, cap, icon);
    if (whileShown) whileShown();
  }
  std::vector<MessageIcon> icons;
};

// A game page as the browser hands it back; body in UTF-8.
std::string gamePage(bool night, const std::string& body = "", bool actionButton = true,
                     bool redisplayButton = true) {
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
  if (actionButton) h += "<input type=\"submit\" value=\"行動/更新\">\n";
  if (redisplayButton) h += "<input type=\"submit\" value=\"再表示\">\n";
  h += "</form>\n" + body + "\n</body></html>\n";
  return sj(h);
}

std::string preDayPage(std::string_view counts) {
  return sj("<html><head><title>事件前日</title></head><body><form><input type=\"hidden\" name=\"TXTPNO\" value=\"3\">"
            "<input type=\"submit\" value=\"行動/更新\"></form><font size=\"+2\">事件前日</font>") +
         sj(counts) + "</body></html>";
}

class PageAnalysis : public ::testing::Test {
 protected:
  void SetUp() override {
    Ports p = fp.ports();
    p.shell = &shell;
    c.ports = p;
    Settings& s = c.settings;
    test_files::applyDefaultTriggers(s);
    for (int k = 0; k < kAlarmKindCount; ++k) s.alarms[k].soundPath = "/sounds/" + std::string(keyPrefix(AlarmKind(k)));

    char tmpl[] = "/tmp/pagelogic-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
    setLogDirectory(dir);
  }
  void TearDown() override {
    setLogDirectory("");
    std::filesystem::remove_all(dir);
  }

  // The browser host's part: the previous page's HTML stays for the log.
  void load(const std::string& page, std::string_view url = "http://127.0.0.1:8399/jinro/cgi_jinro.cgi") {
    c.previousPageHtml = std::move(c.pageHtml);
    c.pageHtml = shiftJisToUtf16(page);
    c.pageText = page;
    c.speechCopyAvailable = 0;
    analysePage(c, c.pageText, url);
  }
  size_t opens() const { return fp.sound.count("open"); }
  std::string tmpHtml() const {
    std::ifstream in(dir + "/tmp.html", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  fake::FakePlatform fp;
  ModalShell shell;
  ClientController c;
  std::string dir;
};

int32_t id(AlarmKind k) { return alarmId(k); }

// --- title, URL, pages that are not analysed --------------------------------

TEST_F(PageAnalysis, PageWithoutTitleChangesNothing) {
  c.currentUrl = "old";
  c.loginValues[TXTPNO] = "7";
  c.lastPhase = kPhaseDay;
  std::string page = gamePage(true);
  std::string noOpen = page, noClose = page;
  noOpen.replace(noOpen.find("<title>"), 7, "<titel>");
  noClose.replace(noClose.find("</title>"), 8, "</titel>");
  for (const std::string& p : {noOpen, noClose}) {
    analysePage(c, p, "new");
    EXPECT_EQ(shell.caption, "");
    EXPECT_EQ(c.currentUrl, "old");
    EXPECT_EQ(c.loginValues[TXTPNO], "7");
    EXPECT_EQ(c.lastPhase, kPhaseDay);
    EXPECT_EQ(opens(), 0u);
  }
}

TEST_F(PageAnalysis, CaptionIsTheTitlesOwnBytesCutOnACharacter) {
  analysePage(c, sj("<HTML><TITLE>Mura ＡＢ 村</TITLE></HTML>"), "u");
  EXPECT_EQ(shell.caption, sj("Mura ＡＢ 村"));

  std::string longTitle = "x";
  for (int i = 0; i < 200; ++i) longTitle += sj("あ");  // 401 bytes
  analysePage(c, "<title>" + longTitle + "</title>", "u");
  EXPECT_EQ(shell.caption.size(), 255u);  // "x" and 127 whole characters
  EXPECT_EQ(shell.caption, longTitle.substr(0, 255));
  analysePage(c, "<title>y" + longTitle + "</title>", "u");
  EXPECT_EQ(shell.caption.size(), 254u);  // never half a character

  std::string longUrl(3000, 'u');
  analysePage(c, "<title>t</title>", longUrl);
  EXPECT_EQ(c.currentUrl, longUrl.substr(0, 1023));
}

// --- phases, alarms and the log viewer --------------------------------------

TEST_F(PageAnalysis, FirstGamePageIsClassifiedSilentlyAsNight) {
  load(gamePage(true));
  EXPECT_EQ(c.lastPhase, kPhaseNight);
  EXPECT_EQ(c.awaitingFirstGamePage, 0);
  EXPECT_EQ(c.currentAlarm, kNone);
  EXPECT_EQ(opens(), 0u);
  EXPECT_TRUE(fp.launcher.launches.empty());
  EXPECT_EQ(c.speechCopyAvailable, 0u);
  EXPECT_EQ(c.restoreScroll, 1);
}

TEST_F(PageAnalysis, FirstGamePageIsClassifiedSilentlyAsDay) {
  load(gamePage(false));
  EXPECT_EQ(c.lastPhase, kPhaseDay);
  EXPECT_EQ(c.awaitingFirstGamePage, 0);
  EXPECT_EQ(c.currentAlarm, kNone);
  EXPECT_EQ(opens(), 0u);
  EXPECT_EQ(c.speechCopyAvailable, 1u);
  EXPECT_EQ(c.restoreScroll, 1);
  // Night after the first (day) page: the viewer opens with it.
  load(gamePage(true));
  EXPECT_EQ(fp.launcher.launches.size(), 1u);
}

TEST_F(PageAnalysis, DayThenNightLaunchesTheViewerOnceWithTheDaysLog) {
  const std::string day = gamePage(false, "<a href=\"./rule.html\">r</a>\n<b>12</b>日目 の朝");
  load(day);
  load(gamePage(true));
  EXPECT_EQ(c.currentAlarm, id(AlarmKind::night));
  EXPECT_EQ(c.lastPhase, kPhaseNight);
  EXPECT_EQ(c.restoreScroll, 0);
  EXPECT_EQ(c.speechCopyAvailable, 0u);
  ASSERT_EQ(fp.launcher.launches.size(), 1u);
  EXPECT_EQ(fp.launcher.launches[0].first, dir + "/quill_pane");
  EXPECT_EQ(fp.launcher.launches[0].second[0], dir + "/tmp.html");
  EXPECT_EQ(fp.launcher.launches[0].second[1], "12日目の記録");
  std::string expected = day;
  size_t at = expected.find("./rule");
  expected.replace(at, 2, kServerBaseUrl);
  EXPECT_EQ(tmpHtml(), logFileBytes(expected));
  EXPECT_EQ(c.viewerProcesses.size(), 1u);

  // A refresh of the night page starts nothing more.
  size_t before = fp.sound.calls.size();
  load(gamePage(true));
  EXPECT_EQ(fp.sound.calls.size(), before);
  EXPECT_EQ(fp.launcher.launches.size(), 1u);
  EXPECT_EQ(c.restoreScroll, 1);
}

TEST_F(PageAnalysis, DaytimeAlarmReplacesTheVoteAlarmThatTheNextRefreshRestarts) {
  load(gamePage(true));
  const std::string voteDay = gamePage(false, "<font color=red>投票</font>を行ってください。");
  load(voteDay);
  EXPECT_EQ(c.currentAlarm, id(AlarmKind::daytime));
  EXPECT_EQ(c.restoreScroll, 0);
  load(voteDay);
  EXPECT_EQ(c.currentAlarm, id(AlarmKind::tohyo));
  size_t before = opens();
  load(voteDay);  // a current alarm is never restarted
  EXPECT_EQ(opens(), before);
  EXPECT_TRUE(fp.launcher.launches.empty());
}

TEST_F(PageAnalysis, VictoryAfterADayPageOpensTheViewerOnceAndEndsPhaseTracking) {
  load(gamePage(false));
  const std::string won = gamePage(true, "「<font>人　狼</font>」の勝利です！</font>");
  load(won);
  EXPECT_EQ(c.gameOver, 1);
  EXPECT_EQ(c.currentAlarm, id(AlarmKind::jinro));
  EXPECT_EQ(fp.launcher.launches.size(), 1u);
  EXPECT_EQ(c.lastPhase, kPhaseDay);  // no longer tracked
  EXPECT_EQ(c.postBody.rfind("COMMAND=MSG&", 0), 0u);

  size_t before = opens();
  load(won);
  load(gamePage(false, "「<font>人　狼</font>」の勝利です！</font>"));
  EXPECT_EQ(opens(), before);
  EXPECT_EQ(fp.launcher.launches.size(), 1u);
  EXPECT_EQ(c.speechCopyAvailable, 0u);

  c.currentAlarm = kNone;  // sound switched off and on again
  load(won);
  EXPECT_EQ(c.currentAlarm, id(AlarmKind::jinro));
  EXPECT_EQ(fp.launcher.launches.size(), 1u);
}

TEST_F(PageAnalysis, VictoryAfterANightPageOpensNoViewer) {
  load(gamePage(false));
  load(gamePage(true));
  ASSERT_EQ(fp.launcher.launches.size(), 1u);
  load(gamePage(false, "「村　人」の勝利です！</font>"));
  EXPECT_EQ(c.gameOver, 1);
  EXPECT_EQ(c.currentAlarm, id(AlarmKind::sonmin));
  EXPECT_EQ(fp.launcher.launches.size(), 1u);  // that day's log is the night's page
}

TEST_F(PageAnalysis, EventsAreTriedInOrderAndOnlyTheFirstActs) {
  // A draw and a villagers' victory on one page: the draw comes first.
  load(gamePage(false, "「引き分け」です！</font> 「村　人」の勝利です！</font>"));
  EXPECT_EQ(c.currentAlarm, id(AlarmKind::hikiwake));
  EXPECT_TRUE(fp.launcher.launches.empty());  // first game page: no log yet
}

TEST_F(PageAnalysis, AnEmptyVictoryTriggerMakesEveryGamePageAVictory) {
  c.settings.alarm(AlarmKind::jinro).trigger.clear();
  load(gamePage(false));
  EXPECT_EQ(c.gameOver, 1);
  EXPECT_EQ(c.currentAlarm, id(AlarmKind::jinro));
  EXPECT_EQ(c.lastPhase, kNone);
}

TEST_F(PageAnalysis, AnEmptyActionTriggerSoundsOnEveryGamePage) {
  c.settings.alarm(AlarmKind::kodo).trigger.clear();
  load(gamePage(true));
  EXPECT_EQ(c.currentAlarm, id(AlarmKind::kodo));
  EXPECT_EQ(c.gameOver, 0);
}

TEST_F(PageAnalysis, SoundOffStillLaunchesTheViewerAndTheCapacityAlarm) {
  c.soundOn = 0;
  load(gamePage(false));
  load(gamePage(true));
  EXPECT_EQ(opens(), 0u);
  EXPECT_EQ(fp.launcher.launches.size(), 1u);
  load(preDayPage("（定員：16人） [生存中16人]"));
  EXPECT_EQ(c.currentAlarm, id(AlarmKind::full_alarm));
}

TEST_F(PageAnalysis, NightTestReadsItsThreeTextsInOrder) {
  auto night = [&](std::string_view style) { return isNightPage(c, sj(style)); };
  EXPECT_TRUE(night(".CLSTD01 { color: black } body { background-color: #000 }"));
  // "black" begins exactly where the first "background-color" ends.
  EXPECT_TRUE(night(".CLSTD01 background-colorblack"));
  EXPECT_FALSE(night(".CLSTD01 background-color-black"));
  EXPECT_FALSE(night(".CLSTD01 { background-color: black }"));  // black after the end
  EXPECT_FALSE(night("body { background-color: #fff } .CLSTD01 { color: black }"));
  EXPECT_FALSE(night("black .CLSTD01 background-color"));  // no black after the left text
  EXPECT_FALSE(night("body { color: black; background-color: #000 }"));  // no left text
  EXPECT_FALSE(night(".CLSTD01 { color: black }"));                       // no right text
  EXPECT_TRUE(night(".clstd01 { COLOR: BLACK } BODY { Background-Color: #000 }"));
  // The right text is the page's first, wherever the left one stands.
  EXPECT_FALSE(night("p { background-color: red } .CLSTD01 { color: black; background-color: #000 }"));
}

TEST_F(PageAnalysis, TitledPageWithoutButtonsOrRegistrationStopsEverything) {
  c.settings.alarm(AlarmKind::jinro).loop = 1;
  load(gamePage(false));
  load(gamePage(false, "人　狼</font>」の勝利です！</font>"));
  ASSERT_EQ(c.currentAlarm, id(AlarmKind::jinro));
  ASSERT_FALSE(fp.sound.openDevices.empty());
  load(sj("<html><title>トップ</title><body>ようこそ</body></html>"));
  EXPECT_TRUE(fp.sound.openDevices.empty());
  EXPECT_EQ(c.currentAlarm, kNone);
  EXPECT_EQ(c.lastPhase, kNone);
  EXPECT_EQ(c.postBody, "");
  EXPECT_EQ(c.postBodyLength, 0u);
  EXPECT_EQ(c.gameOver, 1);  // only the return to the top resets it
}

TEST_F(PageAnalysis, RegistrationPagePlaysItsAlarmWithoutTouchingThePhase) {
  load(gamePage(false));
  const std::string reg = sj("<html><title>登録</title><B>村民登録書</B></html>");
  load(reg);
  EXPECT_EQ(c.currentAlarm, id(AlarmKind::sonmintoroku));
  EXPECT_EQ(c.lastPhase, kPhaseDay);
  EXPECT_EQ(c.postBody, "");
  size_t before = opens();
  load(reg);
  EXPECT_EQ(opens(), before);
  c.soundOn = 0;
  c.currentAlarm = kNone;
  load(reg);
  EXPECT_EQ(c.currentAlarm, kNone);
}

// --- the capacity alarm -----------------------------------------------------

TEST_F(PageAnalysis, CapacityAlarmSoundsWhenTheVillageIsFull) {
  struct Case {
    const char* counts;
    bool sounds;
  } cases[] = {
      {"（定員：16人） [生存中 16人]", true},
      {"（定員：16人） [生存中16人]", true},
      {"（定員： 16人） [生存中  16人]", true},  // blanks before the digits are skipped
      {"（定員：16人） [生存中 15人]", false},
      {"[生存中 16人]", false},
      {"（定員：16人）", false},
      {"（定員：１６人） [生存中 １６人]", false},  // full-width digits read as 0
      {"（定員：0人） [生存中 0人]", false},
      {"（定員：-2人） [生存中 -2人]", false},
      {"（定員：16 [生存中 16", false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.counts);
    c.currentAlarm = kNone;
    c.autoRefreshOn = 1;
    fp.messages.messages.clear();
    load(preDayPage(k.counts));
    EXPECT_EQ(c.currentAlarm == id(AlarmKind::full_alarm), k.sounds);
    EXPECT_EQ(fp.messages.count(WM_COMMAND, ID_TB_AUTO_REFRESH), k.sounds ? 1u : 0u);
    EXPECT_EQ(c.speechCopyAvailable, 0u);  // a pre-day page offers no speech copy
  }
  // Automatic refresh off: nothing to switch off.
  c.currentAlarm = kNone;
  c.autoRefreshOn = 0;
  fp.messages.messages.clear();
  load(preDayPage("（定員：8人） [生存中 8人]"));
  EXPECT_EQ(c.currentAlarm, id(AlarmKind::full_alarm));
  EXPECT_EQ(fp.messages.count(WM_COMMAND, ID_TB_AUTO_REFRESH), 0u);
}

TEST_F(PageAnalysis, CapacityNoticeShownOnceAndOnlyWhenArmed) {
  c.settings.alarm(AlarmKind::full_alarm).loop = 0;
  load(preDayPage("（定員：16人） [生存中 16人]"));
  EXPECT_TRUE(shell.messageBoxes.empty());
  EXPECT_EQ(c.currentAlarm, kNone);
  EXPECT_EQ(c.capacityNoticePending, 0);

  c.capacityNoticePending = 1;  // as the return to the top leaves it
  c.settings.alarm(AlarmKind::full_alarm).loop = 1;
  load(preDayPage("（定員：16人） [生存中 3人]"));
  load(preDayPage("（定員：16人） [生存中 3人]"));
  ASSERT_EQ(shell.messageBoxes.size(), 1u);
  EXPECT_EQ(shell.messageBoxes[0].first,
            sj("参加者定員到達アラームをセットしました。自動更新をONにしてください。\r\n"
               "アラームが鳴り始めた後に音を止めるには、ゲーム画面のどこかをクリックしてください。"));
  EXPECT_EQ(shell.messageBoxes[0].second, sj("お知らせ"));
  EXPECT_EQ(shell.icons[0], MessageIcon::information);
}

TEST_F(PageAnalysis, PagesAnalysedWhileTheNoticeIsOpenDoNotShowItAgain) {
  std::string page = preDayPage("（定員：16人） [生存中 16人]");
  c.pageText = page;
  int nested = 0;
  shell.whileShown = [&] {
    // A refresh completes during the box and replaces the page buffers.
    ++nested;
    c.pageText = std::string(600000, 'z');
    analysePage(c, page, "u2");
    page.assign(100, 'q');
  };
  analysePage(c, c.pageText, "u1");
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(shell.messageBoxes.size(), 1u);
  EXPECT_EQ(c.currentAlarm, id(AlarmKind::full_alarm));
  EXPECT_EQ(opens(), 1u);  // started by the nested page, not again after the box
  EXPECT_EQ(c.loginValues[TXTPNO], "3");
}

TEST_F(PageAnalysis, CapacityAlarmStaysSilencedAndStopsOffThePreDayPage) {
  load(preDayPage("（定員：16人） [生存中 16人]"));
  ASSERT_EQ(c.currentAlarm, id(AlarmKind::full_alarm));
  uint32_t device = c.capacityAlarmDevice;
  ASSERT_NE(device, 0u);
  AlarmPlayer(c).stopCapacityAlarm();  // a click on the page
  size_t before = opens();
  load(preDayPage("（定員：16人） [生存中 16人]"));
  EXPECT_EQ(opens(), before);

  c.currentAlarm = kNone;
  load(preDayPage("（定員：16人） [生存中 16人]"));
  ASSERT_NE(c.capacityAlarmDevice, 0u);
  load(gamePage(false));
  EXPECT_EQ(c.capacityAlarmDevice, 0u);
  EXPECT_TRUE(fp.sound.openDevices.empty());
}

// --- login values and the refresh body --------------------------------------

TEST_F(PageAnalysis, PostBodyFollowsTheButtons) {
  load(gamePage(false));
  EXPECT_EQ(c.postBody, "COMMAND=MSG&CMBPLAYER=&TXTMSG=&TXTPNO=3&TXTPASS=pw&VILLAGENO=12&TXTLOGIN=1&FORMID=f9");
  EXPECT_EQ(c.postBodyLength, c.postBody.size());
  EXPECT_EQ(buildPostBody(c, gamePage(false)), c.postBody);

  load(gamePage(false, "", false));
  EXPECT_EQ(c.postBody, "TXTPNO=3&TXTPASS=pw&VILLAGENO=12&TXTLOGIN=1&FORMID=f9");

  // Absent controls give their names with nothing after.
  load(sj("<title>t</title><input type=submit value=\"再表示\">"));
  EXPECT_EQ(c.postBody, "TXTPNO=&TXTPASS=&VILLAGENO=&TXTLOGIN=&FORMID=");
}

TEST_F(PageAnalysis, PostBodyNeverExceedsItsFieldAndKeepsWholeFields) {
  std::string v(255, 'v');
  std::string page = sj("<title>t</title><input type=submit value=\"行動/更新\">");
  for (const char* name : {"TXTPNO", "TXTPASS", "VILLAGENO", "TXTLOGIN", "FORMID"})
    page += std::string("<input name=\"") + name + "\" value=\"" + v + "\">";
  load(page);
  for (const std::string& value : c.loginValues) EXPECT_EQ(value, v);
  EXPECT_LE(c.postBody.size(), 1023u);
  EXPECT_EQ(c.postBodyLength, c.postBody.size());
  EXPECT_EQ(c.postBody.rfind("COMMAND=MSG&CMBPLAYER=&TXTMSG=&TXTPNO=" + v + "&TXTPASS=" + v, 0), 0u);
  EXPECT_EQ(c.postBody.back(), 'v');  // ends with a whole value
}

TEST(FieldValue, ReadsQuotedAndBareValuesInAnyCase) {
  EXPECT_EQ(extractFieldValue("<INPUT TYPE=hidden NAME=TXTPNO VALUE=3>", "TXTPNO"), "3");
  EXPECT_EQ(extractFieldValue("<input type=\"hidden\" name=\"TXTPNO\" value=\"3\">", "TXTPNO"), "3");
  EXPECT_EQ(extractFieldValue("<input name=txtpno value=  \"a b\">", "TXTPNO"), "a b");
  EXPECT_EQ(extractFieldValue("<input name=TXTPNO value = 8 id=x>", "TXTPNO"), "8");
  EXPECT_EQ(extractFieldValue("<input name=TXTPNO value=\"\">", "TXTPNO"), "");
  EXPECT_EQ(extractFieldValue("<input name='TXTPNO' value='7'>", "TXTPNO"), "7");
  // A single-quoted value ends at the next double quote while there is one.
  EXPECT_EQ(extractFieldValue("<input name='TXTPNO' value='7'><b class=\"x\">", "TXTPNO"), "");
}

TEST(FieldValue, PassesOverLinksAndNamesOutsideTags) {
  EXPECT_EQ(extractFieldValue("TXTPNO=1 <a href=\"x?TXTPNO=2\">l</a><A HREF=y?TXTPNO=4>m</A>"
                              "<input name=TXTPNO value=\"5\">",
                              "TXTPNO"),
            "5");
  // "a href" after the tag's end does not make it a link.
  EXPECT_EQ(extractFieldValue("<input name=TXTPNO value=6><a href=z>", "TXTPNO"), "6");
  // A value that only a later tag holds is no value, and no later name is tried.
  EXPECT_EQ(extractFieldValue("<input name=TXTPNO><input name=TXTPNO value=5>", "TXTPNO"), "");
  EXPECT_EQ(extractFieldValue("<input name=TXTPNO>", "TXTPNO"), "");
  EXPECT_EQ(extractFieldValue("<input name=TXTPNO value=5", "TXTPNO"), "");  // unclosed
  EXPECT_EQ(extractFieldValue("<input name=TXTPNO value=\"5>", "TXTPNO"), "");
  EXPECT_EQ(extractFieldValue("", "TXTPNO"), "");
}

TEST(FieldValue, CutsLongValuesOnACharacter) {
  std::string v = "x";
  for (int i = 0; i < 200; ++i) v += "\x82\xA0";
  EXPECT_EQ(extractFieldValue("<input name=A value=\"" + v + "\">", "A"), v.substr(0, 255));
  EXPECT_EQ(extractFieldValue("<input name=A value=\"y" + v + "\">", "A").size(), 254u);
}

// The reading of a control's value, step by step as the game client has always
// done it: a fresh search from every tag, unbounded.
std::string literalFieldValue(std::string_view text, std::string_view name) {
  size_t pos = findText(text, 0, name);
  while (pos != kNotFound) {
    size_t lt = text.substr(0, pos).rfind('<');
    size_t next = pos + (isLeadByte(static_cast<unsigned char>(text[pos])) ? 2 : 1);
    if (lt == std::string_view::npos) {
      pos = findText(text, next, name);
      continue;
    }
    size_t gt = text.find('>', pos + 1);
    if (gt == std::string_view::npos) return {};
    size_t href = findText(text, lt, "a href");
    if (href != kNotFound && href + 6 <= gt) {
      pos = findText(text, next, name);
      continue;
    }
    size_t v = findText(text, lt, "value");
    if (v == kNotFound) return {};
    size_t eq = text.find('=', v + 5);
    if (eq == std::string_view::npos) return {};
    size_t p = eq + 1;
    while (p < text.size() && text[p] == ' ') ++p;
    if (p >= text.size()) return {};
    size_t start, end;
    if (text[p] == '"' || text[p] == '\'') {
      start = p + 1;
      end = text.find('"', start);
      if (end == std::string_view::npos) end = text.find('\'', start);
    } else {
      start = p;
      end = text.find_first_of("> ", p + 1);
    }
    if (end == std::string_view::npos || end > gt) return {};
    return std::string(cutOnCharacterBoundary(text.substr(start, end - start), 255));
  }
  return {};
}

TEST(FieldValue, AgreesWithAFreshSearchFromEveryTagOnRandomTagSoup) {
  const std::vector<std::string> pieces = {"<", ">", "<", ">", "a href", "A HREF", "a hre", "TXTPNO", "txtpno",
                                           "value", "VALUE", "=", "\"", "'", " ", "x", "9", "\x82", "\x82\xA0",
                                           "\x81<", "\x93\xFA", "a", " href"};
  std::mt19937 rng(20261209);
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    int count = 1 + static_cast<int>(rng() % 40);
    for (int i = 0; i < count; ++i) text += pieces[rng() % pieces.size()];
    ASSERT_EQ(extractFieldValue(text, "TXTPNO"), literalFieldValue(text, "TXTPNO")) << text;
  }
}

TEST(FieldValue, ManyOccurrencesInsideOneLinkStayLinear) {
  // Every occurrence lies in one link whose "a href" stands at its very end:
  // searched afresh from each occurrence's tag, the page would be scanned
  // once per occurrence, on every refresh.
  const std::string input = "<input name=TXTPNO value=1>";
  std::string sameTag = "<", manyTags;
  while (sameTag.size() < 250000) sameTag += "TXTPNO ";
  while (manyTags.size() < 250000) manyTags += "<TXTPNO ";
  EXPECT_EQ(extractFieldValue(sameTag + "a href>" + input, "TXTPNO"), "1");
  EXPECT_EQ(extractFieldValue(manyTags + "a href>" + input, "TXTPNO"), "1");
  std::string growing = "<a href ";
  while (growing.size() < 250000) growing += "TXTPNO>";
  EXPECT_EQ(extractFieldValue(growing + input, "TXTPNO"), "1");
}

TEST(ParseNumber, ReadsLikeTheCLibrary) {
  EXPECT_EQ(parseNumber("16"), 16);
  EXPECT_EQ(parseNumber(" \t16x"), 16);
  EXPECT_EQ(parseNumber("+7"), 7);
  EXPECT_EQ(parseNumber("-7"), -7);
  EXPECT_EQ(parseNumber("- 7"), 0);
  EXPECT_EQ(parseNumber("\x82P\x82U"), 0);  // "１６"
  EXPECT_EQ(parseNumber(""), 0);
  EXPECT_EQ(parseNumber(std::string(60, '9')), LONG_MAX);
  EXPECT_EQ(parseNumber("-" + std::string(60, '9')), LONG_MIN);
  EXPECT_EQ(parseNumber(std::string(255, ' ') + "5"), 0);  // only 255 bytes are read
  EXPECT_EQ(parseNumber(std::string(254, ' ') + "5"), 5);
}

// --- hostile pages ----------------------------------------------------------

TEST_F(PageAnalysis, HostilePagesNeitherCrashNorReachPastTheLimit) {
  std::mt19937 rng(7);
  for (int i = 0; i < 200; ++i) {
    std::string page(1 + rng() % 3000, '\0');
    for (char& ch : page) ch = static_cast<char>(rng());
    if (i % 2) page = "<title>" + page + "</title>" + sj("行動/更新 ") + page;
    analysePage(c, page, page);
    EXPECT_LE(c.postBody.size(), 1023u);
    EXPECT_LE(c.currentUrl.size(), 1023u);
    EXPECT_LE(shell.caption.size(), 255u);
  }
  // A lone lead byte at the very end, in every searched place.
  analysePage(c, "<title>\x82", "u");
  analysePage(c, "<title>t</title><input name=TXTPNO value=\x82", "u");
  analysePage(c, sj("<title>t</title>再表示<input name=TXTPNO value=\"1\">[生存中") + "\x82", "u");

  // Exactly 511,999 bytes: the last bytes still count; one more is cut off.
  std::string full = "<title>t" + std::string(kPageTextLimit - 16, ' ') + "</title>";
  ASSERT_EQ(full.size(), kPageTextLimit);
  analysePage(c, full, "u");
  EXPECT_EQ(shell.caption, "t" + std::string(254, ' '));
  shell.caption = "kept";
  analysePage(c, "<title>t " + full.substr(8), "u");
  EXPECT_EQ(shell.caption, "kept");
  // A zero byte ends the page.
  analysePage(c, std::string("<title>t\0</title>", 17), "u");
  EXPECT_EQ(shell.caption, "kept");
}

}  // namespace
}  // namespace jinro
