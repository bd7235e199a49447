#include "logs/log_launch.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "jinro/server_base_url.h"
#include "platform/code_page.h"
#include "platform/fake/fakes.h"

namespace jinro {
namespace {

std::string sj(std::string_view utf8) { return utf8ToShiftJis(utf8); }

TEST(DayLogTitle, TakesTheWholeDayNumberBeforeTheTag) {
  EXPECT_EQ(dayLogTitle(sj("<font size=+2>3</font>日目 の朝")), sj("3日目の記録"));
  EXPECT_EQ(dayLogTitle(sj("<b>12</b>日目<br>")), sj("12日目の記録"));
  EXPECT_EQ(dayLogTitle(sj("<b>103</b>日目 ")), sj("103日目の記録"));
  EXPECT_EQ(dayLogTitle(sj("<b></b>日目<")), sj("日目の記録"));
  EXPECT_EQ(dayLogTitle(sj("<b>x</b>日目<")), sj("日目の記録"));  // not a digit
  EXPECT_EQ(dayLogTitle(sj("<b>１２</b>日目<")), sj("日目の記録"));  // full-width: never half of one
  // A digit value that is the second byte of a double-byte character is not
  // a digit: 0x81 0x35 is one (invalid) character.
  EXPECT_EQ(dayLogTitle(std::string("<b>\x81\x35</b>") + sj("日目<")), sj("日目の記録"));
  EXPECT_EQ(dayLogTitle(std::string("<b>\x81\x35") + "7</b>" + sj("日目<")), sj("7日目の記録"));
  EXPECT_EQ(dayLogTitle(std::string("<b>\x81\x81") + "57</b>" + sj("日目<")), sj("57日目の記録"));
}

TEST(DayLogTitle, OnlyAnElementOfItsOwnCounts) {
  EXPECT_EQ(dayLogTitle(sj("第3日目の朝です")), sj("事件前日"));  // running text
  EXPECT_EQ(dayLogTitle(sj("<b>3</b>日目です")), sj("事件前日"));  // no "<" or space after
  EXPECT_EQ(dayLogTitle(sj("")), sj("事件前日"));
  EXPECT_EQ(dayLogTitle(sj("<b>3</b>日目")), sj("事件前日"));  // nothing after it at all
  EXPECT_EQ(dayLogTitle(sj("2日目は <i>4</i>日目 <b>5</b>日目 ")), sj("4日目の記録"));
  // "日目" as bytes across two characters is no match.
  EXPECT_EQ(dayLogTitle(std::string("<b>5</b>\x81") + sj("日目<")), sj("事件前日"));
}

TEST(DayLogTitle, ALongRunOfDigitsKeepsTheTitleWithinItsField) {
  std::string title = dayLogTitle("<b>" + std::string(1000, '7') + "</b>" + sj("日目<"));
  EXPECT_EQ(title.size(), 255u);
  EXPECT_EQ(title, std::string(245, '7') + sj("日目の記録"));
}

TEST(LogFileBytes, EveryLineFeedBecomesCrLfAndNothingElseChanges) {
  EXPECT_EQ(logFileBytes("a\nb\r\nc\rd\n"), "a\r\nb\r\r\nc\rd\r\n");
  EXPECT_EQ(logFileBytes(""), "");
  EXPECT_EQ(logFileBytes(std::string("x\ny\0z\n", 6)), "x\r\ny");  // the text ends at its terminator
  EXPECT_EQ(logFileBytes("\x82\n\x93\xFA"), "\x82\r\n\x93\xFA");
}

class LogLaunch : public ::testing::Test {
 protected:
  void SetUp() override {
    c.ports = fp.ports();
    char tmpl[] = "/tmp/pagelogic-log-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
    setLogDirectory(dir);
  }
  void TearDown() override {
    setLogDirectory("");
    std::filesystem::remove_all(dir);
  }
  std::string file() const {
    std::ifstream in(dir + "/tmp.html", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  fake::FakePlatform fp;
  ClientController c;
  std::string dir;
};

TEST_F(LogLaunch, WritesThePreviousPageWithAbsoluteLinksAndStartsTheViewer) {
  const std::string page = sj(
      "<html><head><title>村</title></head>\n<body><b>12</b>日目 の記録\n"
      "<a href=\"./cgi_jinro.cgi?COMMAND=LOGVIEW\">ログ</a> <img src='./img/x.png'> ../up\n</body></html>");
  c.previousPageHtml = shiftJisToUtf16(page);
  launchLogViewer(c);

  const std::string base = kServerBaseUrl;
  const std::string expected = sj("<html><head><title>村</title></head>\r\n<body><b>12</b>日目 の記録\r\n<a href=\"") +
                               base + sj("cgi_jinro.cgi?COMMAND=LOGVIEW\">ログ</a> <img src='") + base +
                               "img/x.png'> ." + base + "up\r\n</body></html>";
  EXPECT_EQ(file(), expected);
  ASSERT_EQ(fp.launcher.launches.size(), 1u);
  EXPECT_EQ(fp.launcher.launches[0].first, dir + "/quill_pane");
  EXPECT_EQ(fp.launcher.launches[0].second, (std::vector<std::string>{dir + "/tmp.html", "12日目の記録"}));
  EXPECT_EQ(c.viewerProcesses, std::vector<int64_t>{1000});
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
}

TEST_F(LogLaunch, EmptyPreviousPageWritesAnEmptyFileUnderThePreDayTitle) {
  std::ofstream(dir + "/tmp.html") << "yesterday";
  launchLogViewer(c);
  EXPECT_EQ(file(), "");
  ASSERT_EQ(fp.launcher.launches.size(), 1u);
  EXPECT_EQ(fp.launcher.launches[0].second[1], "事件前日");
}

TEST_F(LogLaunch, NothingHappensOnceTheGameIsOver) {
  c.gameOver = 1;
  c.previousPageHtml = u"<b>1</b>日目 ";
  launchLogViewer(c);
  EXPECT_FALSE(std::filesystem::exists(dir + "/tmp.html"));
  EXPECT_TRUE(fp.launcher.launches.empty());
  EXPECT_TRUE(c.viewerProcesses.empty());
}

TEST_F(LogLaunch, AViewerThatCannotStartRecordsNoProcess) {
  fp.launcher.fail = true;
  c.previousPageHtml = u"x";
  launchLogViewer(c);
  EXPECT_EQ(file(), "x");
  EXPECT_EQ(fp.launcher.launches.size(), 1u);
  EXPECT_TRUE(c.viewerProcesses.empty());
}

TEST_F(LogLaunch, AMissingDirectoryLeavesTheViewerToSayTheLogIsMissing) {
  setLogDirectory(dir + "/absent");
  c.previousPageHtml = u"x";
  launchLogViewer(c);
  EXPECT_FALSE(std::filesystem::exists(dir + "/absent"));
  ASSERT_EQ(fp.launcher.launches.size(), 1u);
  EXPECT_EQ(fp.launcher.launches[0].second[0], dir + "/absent/tmp.html");
}

TEST_F(LogLaunch, ReverseRowModeWritesTheRowsNewestFirst) {
  c.reverseRows = 1;
  c.previousPageHtml = shiftJisToUtf16(
      sj("<form><input type=submit value=\"再表示\"></form><table><tr><td>番地</td></tr></table><table>"
         "<tr><td>first</td></tr><tr><td>second</td></tr><tr><td>third</td></tr></table>"));
  launchLogViewer(c);
  const std::string f = file();
  size_t first = f.find("first"), second = f.find("second"), third = f.find("third");
  ASSERT_NE(first, std::string::npos);
  EXPECT_LT(third, second);
  EXPECT_LT(second, first);
}

TEST_F(LogLaunch, OversizedAndHostileLogsAreCutOnACharacter) {
  // 600,000 characters, 1.2 MB in Shift_JIS: cut to 511,999 bytes, whole characters.
  std::u16string big(600000, u'日');
  big[0] = u'a';
  c.previousPageHtml = big;
  launchLogViewer(c);
  std::string f = file();
  EXPECT_EQ(f.size(), 511999u);
  EXPECT_EQ(f.substr(f.size() - 2), "\x93\xFA");

  // A zero in the page ends the log; odd UTF-16 (lone surrogates) does no harm.
  std::mt19937 rng(3);
  for (int i = 0; i < 50; ++i) {
    std::u16string h(1 + rng() % 5000, u' ');
    for (char16_t& ch : h) ch = static_cast<char16_t>(rng());
    c.previousPageHtml = h;
    launchLogViewer(c);
    EXPECT_LE(file().size(), 2 * 511999u);
  }
  c.previousPageHtml = std::u16string(u"ab\0cd", 5);
  launchLogViewer(c);
  EXPECT_EQ(file(), "ab");
}

}  // namespace
}  // namespace jinro
