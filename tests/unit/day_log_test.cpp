// The log of the day that just ended: its title and file bytes, and what the
// launcher writes and starts in a temporary folder.
#include "page/day_log.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "base/code_page.h"
#include "client/log_launcher.h"
#include "fakes/fakes.h"
#include "jinro/server_base_url.h"
#include "test_files.h"

namespace jinro {
namespace {

namespace fs = std::filesystem;

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
  EXPECT_EQ(dayLogTitle(""), sj("事件前日"));
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
    char tmpl[] = "/tmp/jinro-log-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string file() const { return test_files::slurp(dir + "/tmp.html"); }
  // A page as the client hands it over: its Shift_JIS text.
  void completed(const std::u16string& html) { logs->pageCompleted(utf16ToShiftJis(html)); }
  // The day's last refresh, then the page that follows it.
  void dayEnds(const std::u16string& lastPage) {
    completed(lastPage);
    completed(u"<html>the next day</html>");
  }
  void useFolder(const std::string& folder) { logs.emplace(launcher, folder); }

  std::string dir;
  fake::FakeLauncher launcher;
  std::optional<LogLauncher> logs;
};

TEST_F(LogLaunch, WritesThePageBeforeTheLastWithAbsoluteLinksAndStartsTheViewer) {
  useFolder(dir);
  const std::string page = sj(
      "<html><head><title>村</title></head>\n<body><b>12</b>日目 の記録\n"
      "<a href=\"./cgi_jinro.cgi?COMMAND=LOGVIEW\">ログ</a> <img src='./img/x.png'> ../up\n</body></html>");
  dayEnds(shiftJisToUtf16(page));
  logs->launch(false);

  const std::string base = kServerBaseUrl;
  const std::string expected = sj("<html><head><title>村</title></head>\r\n<body><b>12</b>日目 の記録\r\n<a href=\"") +
                               base + sj("cgi_jinro.cgi?COMMAND=LOGVIEW\">ログ</a> <img src='") + base +
                               "img/x.png'> ." + base + "up\r\n</body></html>";
  EXPECT_EQ(file(), expected);
  ASSERT_EQ(launcher.launches.size(), 1u);
  EXPECT_EQ(launcher.launches[0].first, dir + "/quill_pane");
  // The title reaches the viewer as UTF-8.
  EXPECT_EQ(launcher.launches[0].second, (std::vector<std::string>{dir + "/tmp.html", "12日目の記録"}));
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(LogLaunch, WithoutAnEarlierPageAnEmptyLogReplacesTheOldOne) {
  useFolder(dir + "/");
  test_files::spit(dir + "/tmp.html", "yesterday");
  completed(u"<b>1</b>日目 ");
  logs->launch(false);
  EXPECT_EQ(file(), "");
  ASSERT_EQ(launcher.launches.size(), 1u);
  EXPECT_EQ(launcher.launches[0].second, (std::vector<std::string>{dir + "/tmp.html", "事件前日"}));
}

TEST_F(LogLaunch, ReverseRowModeWritesTheRowsNewestFirst) {
  useFolder(dir);
  dayEnds(shiftJisToUtf16(
      sj("<form><input type=submit value=\"再表示\"></form><table><tr><td>番地</td></tr></table><table>"
         "<tr><td>first</td></tr><tr><td>second</td></tr><tr><td>third</td></tr></table>")));
  logs->launch(true);
  const std::string f = file();
  const size_t first = f.find("first"), second = f.find("second"), third = f.find("third");
  ASSERT_NE(first, std::string::npos);
  EXPECT_LT(third, second);
  EXPECT_LT(second, first);
}

TEST_F(LogLaunch, OversizedLogsAreCutOnACharacterAndAZeroEndsThem) {
  useFolder(dir);
  // 600,000 characters, 1.2 MB in Shift_JIS: cut to 511,999 bytes, whole characters.
  std::u16string big(600000, u'日');
  big[0] = u'a';
  dayEnds(big);
  logs->launch(false);
  const std::string f = file();
  EXPECT_EQ(f.size(), 511999u);
  EXPECT_EQ(f.substr(f.size() - 2), "\x93\xFA");

  dayEnds(std::u16string(u"ab\0cd", 5));
  logs->launch(false);
  EXPECT_EQ(file(), "ab");
}

// A day's title over an older day's log would mislead the player: when the
// new log cannot be written the old one goes, and the viewer says the log is
// missing; when the old one cannot go either, no viewer starts.
TEST_F(LogLaunch, AFailedWriteNeverShowsAnOlderLog) {
  useFolder(dir);
  test_files::spit(dir + "/tmp.html", "yesterday");
  dayEnds(shiftJisToUtf16(sj("<b>2</b>日目 ") + std::string(4096, 'x')));
  // The write fails for its size (the limit is the child's alone).
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1024, 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    logs->launch(false);
    _exit(launcher.launches.size() == 1 && launcher.launches[0].second[0] == dir + "/tmp.html" ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the viewer was not started on the missing log";
  EXPECT_FALSE(fs::exists(dir + "/tmp.html"));

  // Something in tmp.html's place that is no file and cannot be removed.
  fs::create_directories(dir + "/tmp.html/inside");
  logs->launch(false);
  EXPECT_TRUE(launcher.launches.empty());

  // A folder that does not exist: nothing is created, and the viewer says so.
  useFolder(dir + "/absent");
  logs->launch(false);
  EXPECT_FALSE(fs::exists(dir + "/absent"));
  ASSERT_EQ(launcher.launches.size(), 1u);
  EXPECT_EQ(launcher.launches[0].second[0], dir + "/absent/tmp.html");
}

}  // namespace
}  // namespace jinro
