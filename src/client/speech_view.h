#pragma once
// How the game page is shown: newest speeches first when asked (the page
// rewritten and shown from memory), the scroll position kept over refreshes,
// and the speeches copied to the clipboard.
#include <functional>
#include <optional>
#include <string>

#include "client/page_loader.h"
#include "platform/clipboard.h"
#include "settings/settings.h"

namespace jinro {

class SpeechView {
 public:
  SpeechView(PageLoader& loader, Clipboard& clipboard);

  // Called whenever copying the speeches becomes possible or impossible.
  void onCopyAvailable(std::function<void(bool)> handler) { copyAvailable_ = std::move(handler); }

  bool reverseRows() const { return reverseRows_; }
  void toggleReverseRows() { reverseRows_ = !reverseRows_; }

  // Another page is about to load: the one being left keeps its scroll
  // position for the next, unless the scroll was reset.
  void leavingPage();
  // The offsets the page itself gave just before the client's own refresh:
  // the next page leaving keeps these rather than the view's (late) report.
  void noteScroll(ScrollPosition position) { noted_ = position; }
  // Back to the top of the next page, as a new window starts.
  void resetScroll();

  // A completed document. True when it is the rewritten page this view
  // showed itself, which needs nothing more than its scroll position.
  bool ownPageCompleted();
  // The page just shown is being rewritten and shown again from memory.
  bool ownPagePending() const { return ownPagePending_; }

  // A completed page from the server, as Shift_JIS text, and its UTF-8 address.
  // keepScroll: the page is the same game page again (no phase change).
  void show(std::string_view pageText, const std::string& url, bool keepScroll, bool speechCopy, bool gameOver,
            ServerKind serverKind = ServerKind::automatic);

  void copySpeeches(ServerKind serverKind = ServerKind::automatic);

 private:
  void setCopyAvailable(bool available) {
    if (copyAvailable_) copyAvailable_(available);
  }

  PageLoader& loader_;
  Clipboard& clipboard_;
  std::function<void(bool)> copyAvailable_;
  bool reverseRows_ = false;
  bool ownPagePending_ = false;
  bool restoreScroll_ = false;
  bool skipScrollSave_ = true;
  ScrollPosition saved_;
  std::optional<ScrollPosition> noted_;
  std::string pageText_;  // the last page from the server, Shift_JIS
};

}  // namespace jinro
