// The browser's events as the client receives them: screening of
// navigations, the reading of completed pages, scroll keeping, the click that
// silences the capacity alarm.
#include "browser/browser_events.h"

#include <gtest/gtest.h>

#include "app/command_handler.h"
#include "jinro/server_base_url.h"
#include "platform/code_page.h"
#include "platform/fake/fakes.h"

namespace jinro {
namespace {

using fake::FakePlatform;

std::u16string u16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// A day game page in UTF-16 as the browser gives it back: a title, the
// refresh button's label 行動/更新, and a speech table after 番地< with
// three rows.
std::u16string dayPage(const std::u16string& title = u"day 2") {
  return u"<html><head><title>" + title +
         u"</title></head><body><form action=\"cgi_jinro.cgi\">"
         u"<input type=\"submit\" value=\"行動/更新\">"
         u"<input type=\"hidden\" name=\"TXTPNO\" value=\"3\">"
         u"</form>番地<br><table><tbody><tr><td>one</td></tr><tr><td>two</td></tr>"
         u"<tr><td>three</td></tr></tbody></table></body></html>";
}

class BrowserEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    c.settings.startUrl = std::string(kServerBaseUrl) + "start.html";
    c.settings.frameUrl = std::string(kServerBaseUrl) + "frame.html";
    c.settings.cgiUrl = std::string(kServerBaseUrl) + "cgi_jinro.cgi";
    // Triggers that a test page shows only where a test puts them.
    for (auto& a : c.settings.alarms) {
      a.trigger = "@@never@@";
      a.leftTrigger = a.middleTrigger = a.rightTrigger = "@@never@@";
    }
  }
  FakePlatform p;
  ClientController c{p.ports()};
  BrowserEventSink sink{c};
};

TEST_F(BrowserEvents, RefusedAddressesAreCancelledExactlyAndSendTheReturnToTop) {
  const std::string base = kServerBaseUrl;
  for (const std::string& url : {base + "frame.html", base + "index.html", std::string("./")}) {
    p.messages.messages.clear();
    bool cancel = false;
    sink.onBeforeNavigate2(u16(url), cancel);
    EXPECT_TRUE(cancel) << url;
    EXPECT_EQ(p.messages.count(WM_COMMAND, ID_TB_RETURN_TOP), 1u) << url;
  }
  EXPECT_EQ(p.browser.stops, 3);

  // Letter case counts; so does every other byte.
  std::string upper = base + "INDEX.html";
  for (const std::string& url : {upper, base + "index.htm", std::string(".//"), base + "frame.html?x"}) {
    p.messages.messages.clear();
    bool cancel = false;
    sink.onBeforeNavigate2(u16(url), cancel);
    EXPECT_FALSE(cancel) << url;
    EXPECT_EQ(p.messages.count(WM_COMMAND, ID_TB_RETURN_TOP), 0u) << url;
  }
  EXPECT_EQ(p.browser.stops, 3);
}

TEST_F(BrowserEvents, RefusedFrameAddressEndsOnTheStartPageWithAutomaticRefreshOff) {
  // Wired to the real dispatcher: the return to the top posts to the start
  // page; its own navigation then switches automatic refresh off.
  CommandHandler handler(c);
  p.messages.forwardTo = &handler;
  c.postBody = "TXTPNO=3&";
  c.postBodyLength = 9;
  c.sendCommand(ID_TB_AUTO_REFRESH);
  ASSERT_EQ(c.autoRefreshOn, 1);
  c.lastPhase = kPhaseDay;
  c.loginValues[TXTPNO] = "3";

  bool cancel = false;
  sink.onBeforeNavigate2(u16(c.settings.frameUrl), cancel);
  EXPECT_TRUE(cancel);
  ASSERT_EQ(p.browser.navigations.size(), 1u);
  EXPECT_TRUE(p.browser.navigations[0].post);
  EXPECT_EQ(p.browser.navigations[0].url, c.settings.startUrl);
  EXPECT_EQ(c.lastPhase, kNone);
  EXPECT_EQ(c.loginValues[TXTPNO], "");

  bool cancel2 = false;
  sink.onBeforeNavigate2(u16(c.settings.startUrl), cancel2);
  EXPECT_FALSE(cancel2);
  EXPECT_EQ(c.autoRefreshOn, 0);
  EXPECT_EQ(c.timerRunning, 0);
  EXPECT_FALSE(p.timer.running);
  EXPECT_EQ(p.shell.toolbarStates[ID_TB_AUTO_REFRESH], TBSTATE_ENABLED);
}

TEST_F(BrowserEvents, StartPageSwitchesAutomaticRefreshOffOnlyWhenItIsOn) {
  bool cancel = false;
  sink.onBeforeNavigate2(u16(c.settings.startUrl), cancel);
  EXPECT_EQ(p.messages.count(WM_COMMAND, ID_TB_AUTO_REFRESH), 0u);
  c.autoRefreshOn = 1;
  sink.onBeforeNavigate2(u16(c.settings.startUrl), cancel);
  EXPECT_EQ(p.messages.count(WM_COMMAND, ID_TB_AUTO_REFRESH), 1u);
  EXPECT_FALSE(cancel);
}

TEST_F(BrowserEvents, ScrollIsSavedFromThePageBeingLeftButNotBeforeTheFirstNavigation) {
  p.browser.scroll = {7, 900};
  c.restoreScroll = 1;
  bool cancel = false;
  sink.onBeforeNavigate2(u"http://x/a", cancel);
  EXPECT_EQ(c.savedScrollTop, 0);  // skipScrollSave started at 1
  EXPECT_EQ(c.skipScrollSave, 0);
  EXPECT_EQ(c.restoreScroll, 0);
  EXPECT_EQ(p.messages.count(WM_DISABLE_SPEECH_COPY, 0), 1u);

  sink.onBeforeNavigate2(u"http://x/b", cancel);
  EXPECT_EQ(c.savedScrollLeft, 7);
  EXPECT_EQ(c.savedScrollTop, 900);
  EXPECT_EQ(p.messages.count(WM_DISABLE_SPEECH_COPY, 0), 2u);
}

TEST_F(BrowserEvents, CompletedPageIsKeptConvertedAndAnalysed) {
  const std::u16string first = dayPage(u"第一");
  sink.onDocumentComplete(u"http://x/cgi_jinro.cgi", first);
  EXPECT_EQ(c.pageHtml, first);
  EXPECT_TRUE(c.previousPageHtml.empty());
  EXPECT_EQ(c.pageText, utf16ToShiftJis(first));
  EXPECT_EQ(c.pageUrl, "http://x/cgi_jinro.cgi");
  EXPECT_EQ(c.currentUrl, "http://x/cgi_jinro.cgi");
  EXPECT_EQ(p.shell.caption, "\x91\xE6\x88\xEA");  // 第一, Shift_JIS

  const std::u16string second = dayPage(u"second");
  sink.onDocumentComplete(u"http://x/cgi_jinro.cgi", second);
  EXPECT_EQ(c.previousPageHtml, first);
  EXPECT_EQ(c.pageHtml, second);
}

TEST_F(BrowserEvents, GamePageRestoresScrollAndOffersSpeechCopy) {
  c.savedScrollLeft = 3;
  c.savedScrollTop = 1234;
  sink.onDocumentComplete(u"http://x/cgi_jinro.cgi", dayPage());
  EXPECT_EQ(c.restoreScroll, 1);
  ASSERT_EQ(p.browser.scrolledTo.size(), 1u);
  EXPECT_EQ(p.browser.scrolledTo[0].left, 3);
  EXPECT_EQ(p.browser.scrolledTo[0].top, 1234);
  EXPECT_EQ(p.messages.count(WM_ENABLE_SPEECH_COPY, 0), 1u);

  // A page that is not a game page: no scroll, speech copy disabled.
  sink.onDocumentComplete(u"http://x/start.html", u"<html><head><title>t</title></head></html>");
  EXPECT_EQ(p.browser.scrolledTo.size(), 1u);
  EXPECT_EQ(p.messages.count(WM_DISABLE_SPEECH_COPY, 0), 1u);
}

TEST_F(BrowserEvents, PageThePlayerLoadedRestartsARunningTimer) {
  c.timerRunning = 1;
  c.refreshByTimer = 1;
  sink.onDocumentComplete(u"http://x/a", u"<html></html>");
  EXPECT_EQ(p.messages.count(WM_SET_AUTO_REFRESH, 0), 0u);
  EXPECT_EQ(c.refreshByTimer, 0);
  sink.onDocumentComplete(u"http://x/a", u"<html></html>");
  ASSERT_EQ(p.messages.count(WM_SET_AUTO_REFRESH, 0), 1u);
  for (const auto& m : p.messages.messages) {
    if (m.message == WM_SET_AUTO_REFRESH) {
      EXPECT_EQ(m.lParam, 1);
    }
  }
}

TEST_F(BrowserEvents, PagesBeyondTheBuffersAreCutOnACharacterBoundary) {
  // Double-byte characters only: 511,999 bytes would end inside one.
  std::u16string html = std::u16string(400000, u'日');  // 日
  sink.onDocumentComplete(u"http://x/big", html);
  EXPECT_EQ(c.pageText.size(), kPageTextLimit - 1);
  EXPECT_EQ(c.pageText.substr(0, 2), "\x93\xFA");
  EXPECT_EQ(c.pageHtml.size(), 400000u);

  // The HTML itself is kept to the same number of UTF-16 units.
  sink.onDocumentComplete(u"http://x/big", std::u16string(600000, u'x'));
  EXPECT_EQ(c.pageHtml.size(), kPageTextLimit);
  EXPECT_EQ(c.pageText.size(), kPageTextLimit);
  EXPECT_EQ(c.previousPageHtml.size(), 400000u);

  // A surrogate pair is not split by the cut of the HTML either.
  std::u16string pairs = std::u16string(kPageTextLimit - 1, u'x') + u"\U0001F600";
  sink.onDocumentComplete(u"http://x/big", pairs);
  EXPECT_EQ(c.pageHtml.size(), kPageTextLimit - 1);

  // A zero inside the HTML ends the text, as it ended the buffer.
  sink.onDocumentComplete(u"http://x/z", std::u16string(u"ab\0cd", 5));
  EXPECT_EQ(c.pageText, "ab");
}

TEST_F(BrowserEvents, ReverseModeShowsTheRewrittenPageOnceAndOnlyScrollsItsReload) {
  c.reverseRows = 1;
  c.savedScrollTop = 50;
  sink.onDocumentComplete(u"http://x/cgi_jinro.cgi", dayPage(u"d"));
  ASSERT_EQ(p.browser.shown.size(), 1u);
  const std::string& shown = p.browser.shown[0].first;
  EXPECT_EQ(p.browser.shown[0].second, "http://x/cgi_jinro.cgi");
  EXPECT_LT(shown.find("three"), shown.find("one"));
  EXPECT_EQ(shown, c.pageText);
  EXPECT_EQ(c.ownReloadPending, 1);

  // The reload: scrolled, not analysed, speech copy button left alone.
  const std::string caption = p.shell.caption;
  const size_t messagesBefore = p.messages.messages.size();
  const std::string textBefore = c.pageText;
  sink.onDocumentComplete(u"http://x/cgi_jinro.cgi", u"<html><head><title>other</title></head></html>");
  EXPECT_EQ(c.ownReloadPending, 0);
  EXPECT_EQ(p.shell.caption, caption);
  EXPECT_EQ(c.pageText, textBefore);
  EXPECT_EQ(p.messages.messages.size(), messagesBefore);
  ASSERT_FALSE(p.browser.scrolledTo.empty());
  EXPECT_EQ(p.browser.scrolledTo.back().top, 50);
  EXPECT_EQ(p.browser.shown.size(), 1u);
}

TEST_F(BrowserEvents, OnlyTheLeftClickStopsTheCapacityAlarmAndNewWindowsGoOutside) {
  const uint32_t id = p.sound.open("WaveAudio", "full.wav");
  c.capacityAlarmDevice = id;
  sink.onContentLeftButtonDown();
  EXPECT_EQ(c.capacityAlarmDevice, 0u);
  EXPECT_EQ(p.sound.count("stop"), 1u);
  EXPECT_EQ(p.sound.count("close"), 1u);
  sink.onContentLeftButtonDown();  // nothing sounding: nothing more
  EXPECT_EQ(p.sound.count("stop"), 1u);

  bool cancel = true;
  sink.onNewWindow2(cancel);
  EXPECT_FALSE(cancel);
}

}  // namespace
}  // namespace jinro
