#include "client/speech_draft.h"

namespace jinro {

void SpeechDraftKeeper::refreshLeaving(const std::optional<SpeechDraft>& read) {
  if (!read) {
    // The page being left never showed the draft: it still waits.
    inPage_ = false;
    return;
  }
  if (!read->text.empty() || read->selectsChanged) {
    kept_ = read;
  } else if (inPage_) {
    kept_.reset();  // the player emptied the box the draft was put into
  }
  inPage_ = false;
}

}  // namespace jinro
