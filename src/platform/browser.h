#pragma once
// What the client needs of the embedded web browser, and what the browser
// tells it. URLs and headers are UTF-8 texts as the settings hold them; a
// posted body and a shown page are bytes, passed on as they are.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace jinro {

struct ScrollPosition {
  int left = 0;
  int top = 0;
};

// What the player has begun in the page's speech form (the form around the
// TXTMSG box): the text, the choice of every select, the caret, and whether
// the box had the keyboard focus. Texts are UTF-16 as the page holds them.
struct SpeechDraft {
  std::u16string text;
  std::vector<std::pair<std::u16string, std::u16string>> selects;  // name, chosen value
  int selectionStart = 0;
  int selectionEnd = 0;
  bool focused = false;
  bool selectsChanged = false;  // a select's choice differs from the page's own
  bool operator==(const SpeechDraft&) const = default;
};

// The browser's events, in the order the page goes through them.
class BrowserEvents {
 public:
  virtual ~BrowserEvents() = default;
  // Before each navigation of the page or of a frame; true refuses it.
  virtual bool refuseNavigation(std::u16string_view url) = 0;
  // A document completed; html is the root element's outer HTML as the
  // browser holds it now.
  virtual void documentComplete(std::u16string_view url, std::u16string_view html) = 0;
  // A left button press on the page.
  virtual void pageClicked() = 0;
  // The top-level page failed to load (no connection, say); not sent for a
  // navigation that was refused or stopped.
  virtual void loadFailed() {}
  // The process that showed the page ended abnormally (a crash, a kill, out
  // of memory): the view is blank until something is loaded again.
  virtual void pageCrashed() {}
  // The player asked to quote the table row under the pointer (a Ctrl+click,
  // or the context menu's item): its outer HTML as the page holds it.
  virtual void speechRowClicked(std::u16string_view /*rowHtml*/) {}
  // The player began typing in the page (true) or has pressed no key for
  // about three seconds (false).
  virtual void typingChanged(bool /*typing*/) {}
};

class Browser {
 public:
  virtual ~Browser() = default;
  // A plain GET into the top-level page.
  virtual void navigate(const std::string& url) = 0;
  // An HTTP POST of exactly these body bytes, with the extra header lines
  // (separated by "\n"), into the top-level page.
  virtual void navigateWithPost(const std::string& url, std::string_view body, std::string_view headers) = 0;
  // Ends the navigation under way.
  virtual void stop() = 0;
  // Shows these bytes as the page, decoded in the named charset (the page's
  // own, so the page renders as it came), without a request; relative links
  // resolve against baseUrl. A completed document follows.
  virtual void showHtml(std::string_view html, std::string_view charset, const std::string& baseUrl) = 0;
  // Scroll offsets of the page shown now as the view last heard of them
  // (a scroll just made may not be in yet), and scrolling it.
  virtual ScrollPosition scrollPosition() = 0;
  // The offsets as the page knows them now; nullopt when it did not answer.
  // `done` is called once, as readSpeechDraft's.
  virtual void readScrollPosition(std::function<void(std::optional<ScrollPosition>)> done) = 0;
  virtual void scrollTo(int left, int top) = 0;
  // Reads the speech form of the page shown now: nullopt when it has no
  // TXTMSG box. `done` is always called once, at the latest about a second
  // later (nullopt then), unless the browser is destroyed first or the one
  // who listens to its events has gone (no answer reaches a listener that is
  // no more).
  virtual void readSpeechDraft(std::function<void(std::optional<SpeechDraft>)> done) = 0;
  // Puts a draft back into the page shown now: the text into an empty TXTMSG
  // box, the selects' choices that the page offers, the caret and the focus.
  // `done` gets whether the box took the draft (false: no box, or the box
  // holds text of its own); always called once, as above.
  virtual void restoreSpeechDraft(const SpeechDraft& draft, std::function<void(bool restored)> done) = 0;
};

}  // namespace jinro
