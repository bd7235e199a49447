#include "page/speech_text.h"

#include <gtest/gtest.h>

#include <random>

#include "base/code_page.h"
#include "client/speech_view.h"
#include "fakes/fakes.h"

namespace jinro {
namespace {

std::string sj(std::string_view utf8) { return utf8ToShiftJis(utf8); }

// A day page as this browser hands it back: LF line breaks, lower-case tags.
std::string dayPage(std::string_view rows, std::string_view after = "<tr><td colspan=\"2\">end</td></tr>") {
  std::string h =
      "<html><head><title>t</title></head><body><form><input type=\"submit\" value=\"行動/更新\"></form>\n"
      "<table><tr><td>番地</td><td>x</td></tr></table>\n"
      "<table cellpadding=\"0\" cellspacing=\"0\">\n";
  h += rows;
  h += after;
  h += "</table>\n<input type=\"text\" name=\"TXTMSG\">\n</body></html>\n";
  return sj(h);
}

const char* kTwoRows =
    "<tr><td width=\"160\"><font color=\"#ff0000\">◆</font>パンさん</td>\n"
    "<td>「おはよう<br>\nございます」</td></tr>\n"
    "<tr><td width=\"160\"><font color=\"#0000ff\">◆</font>ルミ</td>\n"
    "<td>「やあ &amp; どうも」</td></tr>\n";

std::string copied(const std::string& page, bool reverse = false) {
  std::string out;
  EXPECT_EQ(speechText(page, reverse, out), SpeechCopyResult::copied);
  return out;
}

TEST(SpeechText, OneLinePerRowWithTagsAndSourceLineBreaksGone) {
  EXPECT_EQ(copied(dayPage(kTwoRows)),
            sj("◆パンさん 「おはようございます」\r\n◆ルミ「やあ &amp; どうも」\r\n"));
}

TEST(SpeechText, CrLfSourceGivesTheSameText) {
  std::string lf = dayPage(kTwoRows), crlf;
  for (char ch : lf) {
    if (ch == '\n') crlf += '\r';
    crlf += ch;
  }
  EXPECT_EQ(copied(crlf), copied(lf));
  // A lone carriage return is text.
  EXPECT_EQ(copied(dayPage("<tr><td width=160><b>◆</b>a\rb</td></tr>")), sj("◆a\rb\r\n"));
}

TEST(SpeechText, RowEndTagsCountOnlyInOneCaseEach) {
  EXPECT_EQ(copied(dayPage("<tr><td width=160><b>◆</b>a</td></TR><tr><td>b</td></Tr><tr><td>c</td></tR>"
                           "<tr><td>d</td></tr>")),
            sj("◆a\r\nbcd\r\n"));
}

TEST(SpeechText, EndsWhereTheModeSays) {
  const std::string rows = "<tr><td width=160><b>◆</b>a</td></tr><tr><td>b</td></tr>";
  const std::string ghosts = "<tr><td>◆ 幽霊の間</td></tr><tr><td>g</td></tr>";
  // Normal mode: before the first "<td colspan=" (in any case).
  EXPECT_EQ(copied(dayPage(rows + ghosts, "<tr><TD COLSPAN=2>z</td></tr>")), sj("◆a\r\nb\r\n◆ 幽霊の間\r\ng\r\n"));
  // Reverse-row mode: before the ghosts' room, else before the first input.
  EXPECT_EQ(copied(dayPage(rows + ghosts), true), sj("◆a\r\nb\r\n"));
  EXPECT_EQ(copied(dayPage(rows), true), sj("◆a\r\nb\r\nend\r\n"));
  std::string out;
  EXPECT_EQ(speechText(dayPage(rows, ""), false, out), SpeechCopyResult::markersMissing);
}

std::string without(std::string page, std::string_view marker) {
  for (size_t at = page.find(marker); at != std::string::npos; at = page.find(marker)) page.replace(at, marker.size(), "zz");
  return page;
}

TEST(SpeechText, MarkersAreFoundInTheirOrder) {
  std::string out;
  const std::string page = dayPage("<tr><td width=\"160\"><b>◆</b>a</td></tr>");
  for (std::string missing : {sj("番地"), std::string("cell"), std::string("160"), sj("◆")})
    EXPECT_EQ(speechText(without(page, missing), false, out), SpeechCopyResult::markersMissing) << missing;
  // "160" before "cell" does not count.
  EXPECT_EQ(speechText(sj("<title>t</title>行動/更新 番地<td width=160><table cellpadding=0><td>◆</td>"
                          "<td colspan=2>"),
                       false, out),
            SpeechCopyResult::markersMissing);
  EXPECT_EQ(speechText(sj("<title>t</title>番地<table cellspacing=0><td width=160><b>◆</b>a"), false, out),
            SpeechCopyResult::notGamePage);
  // "再表示" alone makes a game page too.
  std::string redisplay = page;
  std::string action = sj("行動/更新");
  redisplay.replace(redisplay.find(action), action.size(), sj("再表示"));
  EXPECT_EQ(copied(redisplay), sj("◆a\r\n"));
}

TEST(SpeechText, AnUnclosedTagEndsTheText) {
  EXPECT_EQ(copied(dayPage("<tr><td width=160><b>◆</b>a</td></tr>b <c d", "<td colspan=2>")), sj("◆a\r\nb "));
  EXPECT_EQ(copied(dayPage("<tr><td width=160><b>◆</b>a</td></tr><", "<td colspan=2>")), sj("◆a\r\n"));
  EXPECT_EQ(copied(dayPage("<tr><td width=160><b>◆</b>a</td></tr></tr", "<td colspan=2>")), sj("◆a\r\n"));
}

TEST(SpeechText, SpaceGoesBetweenNAndOpeningQuoteOnly) {
  EXPECT_EQ(copied(dayPage("<tr><td width=160><b>◆</b>さん</td><td>「ん「ん 「」</td></tr>")),
            sj("◆さん 「ん 「ん 「」\r\n"));
}

// The copy command on the page the view shows.
class SpeechCopy : public ::testing::Test {
 protected:
  void show(const std::string& page) { view.show(page, "http://a.example/cgi_jinro.cgi", false, true, false); }
  fake::FakeBrowser browser;
  fake::FakeClipboard clipboard;
  PageLoader loader{browser};
  SpeechView view{loader, clipboard};
};

TEST_F(SpeechCopy, PutsTheShownPagesSpeechesOnTheClipboard) {
  show(dayPage(kTwoRows));
  view.copySpeeches();
  EXPECT_TRUE(clipboard.hasText);
  EXPECT_EQ(clipboard.text, "◆パンさん 「おはようございます」\r\n◆ルミ「やあ &amp; どうも」\r\n");
}

TEST_F(SpeechCopy, OnlyAGamePageWithoutTheMarkersEmptiesTheClipboard) {
  ASSERT_TRUE(clipboard.setText("kept"));
  show(sj("<title>t</title>番地<table cellspacing=0><td width=160><b>◆</b>a</td></tr><td colspan=2>"));
  view.copySpeeches();
  EXPECT_EQ(clipboard.text, "kept");  // not a game page

  show(sj("<title>t</title><input type=submit value=\"再表示\">"));
  view.copySpeeches();
  EXPECT_FALSE(clipboard.hasText);
}

TEST_F(SpeechCopy, ReverseRowModeCopiesThePageAsShownNewestFirst) {
  view.toggleReverseRows();
  show(dayPage("<tr><td width=160><b>◆</b>a</td></tr><tr><td width=160><b>◆</b>b</td></tr>"
               "<tr><td>◆ 幽霊の間</td></tr><tr><td>g</td></tr>"));
  ASSERT_EQ(browser.shown.size(), 1u);
  view.copySpeeches();
  EXPECT_EQ(clipboard.text, "◆b\r\n◆a\r\n");
}

TEST(SpeechTextHostile, BigAndRandomPagesStayWithinTheArea) {
  std::string out;
  // A speech part of nothing but "ん「": each one grows the text by a byte.
  std::string speech;  // UTF-8: 120,000 pairs, 480,000 bytes in Shift_JIS
  for (int i = 0; i < 120000; ++i) speech += "ん「";
  std::string page = dayPage("<tr><td width=160><b>◆</b>" + speech, "<td colspan=2>");
  ASSERT_LE(page.size(), 511999u);
  EXPECT_EQ(speechText(page, false, out), SpeechCopyResult::copied);
  EXPECT_LE(out.size(), 511999u);
  EXPECT_GT(out.size(), 500000u);

  // Larger than a page may be: only its first 511,999 bytes count.
  std::string huge = dayPage("<tr><td width=160><b>◆</b>a</td></tr>" + std::string(600000, 'x'));
  EXPECT_EQ(speechText(huge, false, out), SpeechCopyResult::markersMissing);

  std::mt19937 rng(11);
  const std::string_view alphabet = "<>/trTR\r\n\x82\x81\xF1u \x93";
  const std::string full = dayPage("<tr><td width=160><b>◆</b>", "");
  const std::string head = full.substr(0, full.find("</b>") + 4);
  for (int i = 0; i < 300; ++i) {
    std::string tail(rng() % 4000, ' ');
    for (char& ch : tail) ch = alphabet[rng() % alphabet.size()];
    speechText(head + tail + (i % 2 ? "<td colspan=" : ""), i % 3 == 0, out);
    EXPECT_LE(out.size(), 511999u);
  }
  speechText(head + "\x82", false, out);  // a lone lead byte at the end
}

}  // namespace
}  // namespace jinro
