#pragma once
// What the client needs of the embedded web browser, and what the browser
// tells it. URLs and headers are Shift_JIS texts as the settings hold them;
// the backend converts them.
#include <string>
#include <string_view>

namespace jinro {

struct ScrollPosition {
  int left = 0;
  int top = 0;
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
  // Shows these Shift_JIS bytes as the page, without a request; relative
  // links resolve against baseUrl. A completed document follows.
  virtual void showHtml(std::string_view shiftJisHtml, const std::string& baseUrl) = 0;
  // Scroll offsets of the page shown now, and scrolling it.
  virtual ScrollPosition scrollPosition() = 0;
  virtual void scrollTo(int left, int top) = 0;
};

}  // namespace jinro
