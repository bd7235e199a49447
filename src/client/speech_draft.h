#pragma once
// Keeps what the player has begun writing in the speech form while the
// client's own refreshes replace the page under it.
//
// The rules:
//  - a refresh that leaves a page whose box holds text, or whose selects the
//    player changed, keeps that draft (it replaces an older one);
//  - a page without a box, or that could not be read, changes nothing: the
//    draft waits for the next page that has one;
//  - the next page shown gets the draft; once its box took it, the page
//    holds it, and a later refresh that finds that box empty means the
//    player cleared it: the draft goes;
//  - an empty box on a page that never got the draft (a refresh that came
//    before the draft was put back) does not drop it;
//  - the player leaving the page himself (sending the form, following a
//    link) or the return to the start page drops it: the page's own form
//    went with it.
#include <optional>

#include "platform/browser.h"

namespace jinro {

class SpeechDraftKeeper {
 public:
  // A refresh of the client's leaves a page whose speech form read as
  // `read` (nullopt: no box, or nothing could be read).
  void refreshLeaving(const std::optional<SpeechDraft>& read);
  // The player navigated away himself; or the game is left for the start page.
  void drop() {
    kept_.reset();
    inPage_ = false;
  }

  // The draft the page just shown should get, if any.
  std::optional<SpeechDraft> toRestore() const { return inPage_ ? std::nullopt : kept_; }
  // Whether the page's box took the draft it was given.
  void restored(bool tookIt) {
    if (tookIt && kept_) inPage_ = true;
  }

  const std::optional<SpeechDraft>& kept() const { return kept_; }

 private:
  std::optional<SpeechDraft> kept_;
  bool inPage_ = false;  // the page shown now holds the kept draft
};

}  // namespace jinro
