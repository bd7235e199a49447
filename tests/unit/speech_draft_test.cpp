// What the player has begun in the speech form outlives the client's own
// refreshes: the keeper's rules (the client's use of them is in
// client_test.cpp).
#include "client/speech_draft.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace jinro
