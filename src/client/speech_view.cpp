#include "client/speech_view.h"

#include <algorithm>
#include <utility>

#include "page/row_reversal.h"
#include "page/page_text.h"
#include "page/speech_text.h"

namespace jinro {

SpeechView::SpeechView(PageLoader& loader, Clipboard& clipboard) : loader_(loader), clipboard_(clipboard) {}

void SpeechView::leavingPage() {
  restoreScroll_ = false;
  setCopyAvailable(false);
  if (!skipScrollSave_) saved_ = std::exchange(noted_, std::nullopt).value_or(loader_.scrollPosition());
  noted_.reset();
  skipScrollSave_ = false;
}

void SpeechView::resetScroll() {
  saved_ = {};
  skipScrollSave_ = true;
}

bool SpeechView::ownPageCompleted() {
  if (!ownPagePending_) return false;
  if (restoreScroll_) loader_.scrollTo(saved_);
  ownPagePending_ = false;
  return true;
}

void SpeechView::show(std::string_view pageText, const std::string& url, bool keepScroll, bool speechCopy,
                      bool gameOver, ServerKind serverKind) {
  pageText_.assign(pageText);
  restoreScroll_ = keepScroll;
  // Rewritten in place: the clipboard copies the page as shown. A page the
  // rewriting does not fit is left as it came.
  if (reverseRows_) {
    const size_t n = reverseRowsAndFixLinks(pageText_, gameOver, serverKind);
    if (n > 0) {
      loader_.show(std::string_view(pageText_).substr(0, n), url);
      ownPagePending_ = true;
    }
  }
  setCopyAvailable(speechCopy);
  if (restoreScroll_) loader_.scrollTo(saved_);
}

void SpeechView::copySpeeches(ServerKind serverKind) {
  std::string text;
  const SpeechCopyResult result = speechText(pageText_, reverseRows_, text, serverKind);
  if (result == SpeechCopyResult::notGamePage) return;
  // From here on a page without the speech table leaves the clipboard empty.
  if (!clipboard_.clear()) return;
  if (result == SpeechCopyResult::copied) clipboard_.setText(pageTextToUtf8(text));
}

}  // namespace jinro
