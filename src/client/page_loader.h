#pragma once
// The client's own navigations: the start page (a plain GET) and the form
// post that refreshes a game page, with the headers the game's CGI expects.
// Once the browser is gone (the window closing) nothing more is asked of it.
#include <string>
#include <string_view>

#include "page/page_text.h"
#include "platform/browser.h"

namespace jinro {

// "Content-Type: application/x-www-form-urlencoded\nReferer: <base>cgi_jinro.cgi"
std::string refreshRequestHeaders();

class PageLoader {
 public:
  explicit PageLoader(Browser& browser) : browser_(&browser) {}

  void get(const std::string& url) {
    if (browser_) browser_->navigate(url);
  }
  void post(const std::string& url, std::string_view body) {
    if (browser_) browser_->navigateWithPost(url, body, refreshRequestHeaders());
  }
  void stop() {
    if (browser_) browser_->stop();
  }
  void show(std::string_view pageText, const std::string& baseUrl) {
    if (browser_) browser_->showHtml(pageText, kPageCharset, baseUrl);
  }
  ScrollPosition scrollPosition() { return browser_ ? browser_->scrollPosition() : ScrollPosition{}; }
  void scrollTo(ScrollPosition p) {
    if (browser_) browser_->scrollTo(p.left, p.top);
  }
  void browserGone() { browser_ = nullptr; }

 private:
  Browser* browser_;
};

}  // namespace jinro
