// Unit tests of the viewer's file reading and of its nesting estimate.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "html_nesting.h"
#include "log_file.h"

namespace quill {
namespace {

std::string repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(Nesting, ClosedAndSelfClosingElements) {
  // A day's log as the browser serialises it: tables in tables, all closed.
  std::string page = "<html><head><title>a<b>c</title><style>td>p{}</style></head><body>";
  for (int i = 0; i < 300; ++i)
    page += "<table><tbody><tr><td><font color=\"red\">x</font><br><img src=\"a>b.png\"></td></tr></tbody></table>";
  page += "</body></html>";
  Nesting n = measureNesting(page);
  EXPECT_EQ(n.tables, 1u);
  EXPECT_EQ(n.elements, 7u);  // html body table tbody tr td font
}

TEST(Nesting, SiblingsLeftOpenDoNotNest) {
  // Old CGI pages leave td, tr, li and p open; a lenient parser closes them.
  std::string page = "<TABLE>" + repeat("<TR><TD><P>a<P>b<TD>c<UL><LI>x<LI>y</UL>", 5000) + "</TABLE>";
  Nesting n = measureNesting(page);
  EXPECT_EQ(n.tables, 1u);
  EXPECT_LE(n.elements, 6u);
}

TEST(Nesting, DeepTablesAndElementsAreSeen) {
  EXPECT_GT(measureNesting(repeat("<table><tr><td>", 5000)).tables, kMaxTableNesting);
  EXPECT_EQ(measureNesting(repeat("<table><tr><td>", 12)).tables, 12u);
  EXPECT_GT(measureNesting(repeat("<div>", 100000)).elements, kMaxNesting);
  EXPECT_GT(measureNesting(repeat("<b><i><font color=red>", 50000)).elements, kMaxNesting);
  // Unmatched end tags close nothing; matched ones close what they enclose.
  EXPECT_EQ(measureNesting(repeat("<font>", 10) + repeat("</x>", 1000)).elements, 10u);
  EXPECT_EQ(measureNesting(repeat("<div><font>a</div>", 5000)).elements, 2u);
}

TEST(Nesting, TextThatIsNotATag) {
  // Comments, raw text and stray '<' open nothing; Shift_JIS trail bytes
  // may be letters but never '<'.
  std::string page = "<!-- <table><table> --><script>if (a<b) { '<table>' }</script>"
                     "a < b <3 <\x93\xfa\x96\xda> \x83\x41<";
  EXPECT_EQ(measureNesting(page).tables, 0u);
  EXPECT_EQ(measureNesting(page).elements, 0u);
  EXPECT_EQ(measureNesting("<table").tables, 1u);   // a cut tag still opens
  EXPECT_EQ(measureNesting("<!-- unclosed <table>").tables, 0u);
  EXPECT_EQ(measureNesting("").elements, 0u);
}

class LogFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/quill_test_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  std::string write(const std::string& name, const std::string& bytes) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::string dir_;
};

TEST_F(LogFileTest, ReadsUpToTheCap) {
  std::string text = "<p>\x82\xa0\r\n</p>";
  LogFile f = readLogFile(write("a.html", text));
  EXPECT_EQ(f.problem, LogProblem::none);
  EXPECT_EQ(f.bytes, text);
  EXPECT_EQ(readLogFile(write("b.html", std::string(100, 'x')), 100).problem, LogProblem::none);
  LogFile big = readLogFile(write("c.html", std::string(101, 'x')), 100);
  EXPECT_EQ(big.problem, LogProblem::tooLarge);
  EXPECT_EQ(big.size, 101u);
  EXPECT_TRUE(big.bytes.empty());
  LogFile empty = readLogFile(write("d.html", ""));
  EXPECT_EQ(empty.problem, LogProblem::none);
  EXPECT_TRUE(empty.bytes.empty());
}

TEST_F(LogFileTest, FilesThatCannotBeShown) {
  EXPECT_EQ(readLogFile(dir_ + "/missing.html").problem, LogProblem::missing);
  EXPECT_EQ(readLogFile(dir_ + "/no/such/dir.html").problem, LogProblem::missing);
  EXPECT_EQ(readLogFile(dir_).problem, LogProblem::notRegular);
  std::string fifo = dir_ + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(readLogFile(fifo).problem, LogProblem::notRegular);  // and doesn't block
  EXPECT_EQ(readLogFile("/dev/zero").problem, LogProblem::notRegular);
  EXPECT_EQ(readLogFile(write("nul.html", std::string("<p>a\0b</p>", 10))).problem, LogProblem::notText);
  if (geteuid() != 0) {  // root reads anything
    std::string locked = write("locked.html", "x");
    chmod(locked.c_str(), 0);
    EXPECT_EQ(readLogFile(locked).problem, LogProblem::unreadable);
  }
}

}  // namespace
}  // namespace quill
