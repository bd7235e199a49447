// What the player has begun in the speech form outlives the client's own
// refreshes: the keeper's rules, then the client on a fake desktop (what the
// village receives, what the page gets back, when a tick waits).
#include "client/speech_draft.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>

#include "base/code_page.h"
#include "client/client.h"
#include "fakes/fakes.h"

namespace jinro {
namespace {

SpeechDraft draft(std::u16string text, bool selectsChanged = false) {
  SpeechDraft d;
  d.text = std::move(text);
  d.selects = {{u"COMMAND", selectsChanged ? u"VOTE" : u"MSG"}, {u"CMBPLAYER", u""}};
  d.selectionStart = d.selectionEnd = 1;
  d.selectsChanged = selectsChanged;
  return d;
}

TEST(SpeechDraftKeeper, WaitsForAPageWithABoxAndGoesWhenThePlayerEmptiesIt) {
  SpeechDraftKeeper k;
  k.refreshLeaving(draft(u""));  // an untouched form is nothing to keep
  EXPECT_FALSE(k.toRestore());
  k.refreshLeaving(draft(u"", true));  // a vote chosen, nothing written yet
  EXPECT_EQ(k.toRestore(), draft(u"", true));

  k.refreshLeaving(draft(u"おはよう"));
  k.restored(false);              // the next page had no box
  k.refreshLeaving(std::nullopt);  // nor could the one after be read
  EXPECT_EQ(k.toRestore(), draft(u"おはよう"));
  k.refreshLeaving(draft(u""));  // a box that never got it: a refresh came first
  ASSERT_TRUE(k.toRestore());

  k.restored(true);  // the page holds it now: nothing more to put back
  EXPECT_FALSE(k.toRestore());
  k.refreshLeaving(draft(u"おはよう、皆"));  // written on, then refreshed again
  EXPECT_EQ(k.toRestore(), draft(u"おはよう、皆"));
  k.restored(true);
  k.refreshLeaving(draft(u""));  // the player cleared the box
  EXPECT_FALSE(k.kept());
}

TEST(SpeechDraftKeeper, ThePlayerLeavingDropsIt) {
  SpeechDraftKeeper k;
  k.refreshLeaving(draft(u"x"));
  k.drop();
  EXPECT_FALSE(k.toRestore());
  k.restored(true);  // a late answer for a draft that went
  k.refreshLeaving(draft(u""));
  EXPECT_FALSE(k.kept());
}

// The client: a game page, a refresh, the page again.
class DraftClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "jinro-draft-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir = tmpl + "/";
    setSettingsFileOverride(dir + "jinro.ini");
    client = std::make_unique<Client>(Desktop{d.shell, d.sound, d.browser, d.timer, d.clipboard, d.launcher, d.sweeper},
                                      dir);
    client->start();
    arrive();
  }
  void TearDown() override {
    client.reset();
    setSettingsFileOverride("");
    std::filesystem::remove_all(dir);
  }
  // The browser asks to go where the client sent it, and the page completes.
  void arrive(const std::string& html = page()) {
    client->refuseNavigation(shiftJisToUtf16(d.browser.navigations.back().url));
    client->documentComplete(shiftJisToUtf16(d.browser.navigations.back().url), shiftJisToUtf16(html));
  }
  static std::string page() {
    return utf8ToShiftJis(
        "<html><head><title>村</title></head><body><font size=+2>2</font>日目\n<table><tr><td>1番地</td></tr></table>"
        "<table cellpadding=0>\n<tr><td width=160><font>◆</font>太郎</td><td>「one」</td></tr>\n"
        "<tr><td width=160><font>◆</font>花子</td><td>「two」</td></tr>\n<tr><td colspan=2>end</td></tr>\n</table>\n"
        "<form action=\"cgi_jinro.cgi\" method=\"post\"><input type=hidden name=TXTPNO value=3>"
        "<input type=hidden name=TXTPASS value=pw><input type=hidden name=VILLAGENO value=1>"
        "<input type=hidden name=TXTLOGIN value=1><input type=hidden name=FORMID value=7>"
        "<input type=submit value=\"行動/更新\"></form></body></html>");
  }
  size_t posts() const { return d.browser.navigations.size(); }

  fake::FakeDesktop d;
  std::unique_ptr<Client> client;
  std::string dir;
};

TEST_F(DraftClientTest, ARefreshPutsTheDraftBackWithoutSendingIt) {
  client->refresh();
  const std::string body = d.browser.navigations.back().body;
  arrive();
  d.browser.draft = draft(u"私は占い師です");
  client->refresh();
  EXPECT_EQ(d.browser.navigations.back().body, body);  // the draft is never posted
  EXPECT_TRUE(d.browser.restoredDrafts.empty());
  arrive();
  ASSERT_EQ(d.browser.restoredDrafts.size(), 1u);
  EXPECT_EQ(d.browser.restoredDrafts[0], draft(u"私は占い師です"));

  // A page without a box keeps it waiting; the player leaving drops it.
  d.browser.boxTakesDraft = false;
  client->refresh();
  arrive();
  d.browser.boxTakesDraft = true;
  client->refuseNavigation(u"cgi_jinro.cgi?COMMAND=LOGVIEW");
  client->documentComplete(u"x", shiftJisToUtf16(page()));
  EXPECT_EQ(d.browser.restoredDrafts.size(), 1u);

  // Newest-first: the draft goes into the rewritten page once it is shown.
  client->toggleReverseRows();
  arrive();
  EXPECT_EQ(d.browser.restoredDrafts.size(), 1u);
  ASSERT_EQ(d.browser.shown.size(), 1u);
  client->documentComplete(u"data:", shiftJisToUtf16(d.browser.shown[0].first));
  EXPECT_EQ(d.browser.restoredDrafts.size(), 2u);
  EXPECT_EQ(d.shell.gameStatus, "2日目 昼");
}

TEST_F(DraftClientTest, ATickWaitsWhileThePlayerTypesButNoLongerThanTheNextTick) {
  client->toggleAutoRefresh();
  const size_t before = posts();
  client->typingChanged(true);
  d.timer.fire();
  EXPECT_EQ(posts(), before);
  EXPECT_TRUE(d.shell.refreshWaiting);
  client->typingChanged(false);  // the pause: the refresh goes now
  EXPECT_EQ(posts(), before + 1);
  EXPECT_FALSE(d.shell.refreshWaiting);

  client->typingChanged(true);
  d.timer.fire();
  d.timer.fire();  // still typing a whole interval later
  EXPECT_EQ(posts(), before + 2);
  client->typingChanged(false);
  EXPECT_EQ(posts(), before + 2);  // nothing waited any more
  client->refresh();               // by hand: never held back
  EXPECT_EQ(posts(), before + 3);
}

}  // namespace
}  // namespace jinro
