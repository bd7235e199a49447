#include "browser/browser_events.h"

#include <algorithm>
#include <array>
#include <string>

#include "jinro/server_base_url.h"
#include "logs/row_reversal.h"
#include "monitor/alarm_player.h"
#include "monitor/page_analysis.h"
#include "platform/browser.h"
#include "platform/code_page.h"

namespace jinro {

namespace {

std::u16string asciiToUtf16(std::string_view text) {
  return std::u16string(text.begin(), text.end());
}

// The HTML as the page buffers hold it: at most kPageTextLimit UTF-16 units,
// never ending on the first half of a surrogate pair.
std::u16string_view cutHtml(std::u16string_view html) {
  if (html.size() <= kPageTextLimit) return html;
  size_t n = kPageTextLimit;
  const char16_t last = html[n - 1];
  if (last >= 0xD800 && last <= 0xDBFF) --n;
  return html.substr(0, n);
}

// The ANSI page text of an HTML text: converted, then cut to what the page
// text area holds without splitting a double-byte character. Every UTF-16
// unit gives at least one byte except the halves of a surrogate pair, which
// give one '?' together, so twice the area in units is always enough input.
std::string toPageText(std::u16string_view html) {
  const size_t enough = 2 * kPageTextArea;
  std::string text = utf16ToShiftJis(html.substr(0, std::min(html.size(), enough)));
  // The text ends at its first zero, as the buffer did.
  if (const size_t zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
  const size_t keep = cutOnCharacterBoundary(text, kPageTextLimit).size();
  text.resize(keep);
  return text;
}

}  // namespace

void BrowserEventSink::onBeforeNavigate2(std::u16string_view url, bool& cancel) {
  Browser* browser = c_.ports.browser;

  // 1. The framed site, the site's index page and "./" are refused; the
  // player lands on the start page instead.
  const std::array<std::u16string, 3> refused = {
      shiftJisToUtf16(c_.settings.frameUrl),
      asciiToUtf16(std::string(kServerBaseUrl) + "index.html"),
      u"./",
  };
  for (const auto& r : refused) {
    if (url == r) {
      cancel = true;
      if (browser) browser->stop();
      c_.sendCommand(ID_TB_RETURN_TOP);
      break;  // one return to the start page is enough
    }
  }

  // 2. Reaching the start page switches automatic refresh off.
  if (url == shiftJisToUtf16(c_.settings.startUrl) && c_.autoRefreshOn == 1) {
    c_.sendCommand(ID_TB_AUTO_REFRESH);
  }

  // 3.
  c_.restoreScroll = 0;
  c_.sendMessage(WM_DISABLE_SPEECH_COPY, 0, 1);

  // 4. The scroll position of the page being left.
  browser = c_.ports.browser;
  if (c_.skipScrollSave == 0 && browser) {
    const ScrollPosition p = browser->scrollPosition();
    c_.savedScrollLeft = p.left;
    c_.savedScrollTop = p.top;
  }
  // 5.
  c_.skipScrollSave = 0;
}

void BrowserEventSink::onDocumentComplete(std::u16string_view url, std::u16string_view html) {
  // 2. The rewritten page shown from memory: only the scroll position.
  if (c_.ownReloadPending == 1) {
    if (c_.restoreScroll == 1 && c_.ports.browser) {
      c_.ports.browser->scrollTo(c_.savedScrollLeft, c_.savedScrollTop);
    }
    c_.ownReloadPending = 0;
    return;
  }

  // 4. A page the player loaded restarts the countdown.
  if (c_.refreshByTimer == 0 && c_.timerRunning == 1) {
    c_.sendMessage(WM_SET_AUTO_REFRESH, 0, 1);
  }
  c_.refreshByTimer = 0;

  // 5.-7. The page's HTML, the one before it, and its ANSI text.
  const std::u16string_view kept = cutHtml(html);
  c_.previousPageHtml = std::move(c_.pageHtml);
  c_.pageHtml.assign(kept.begin(), kept.end());
  c_.pageText = toPageText(kept);

  // 8. The analysis works on copies: a message box it shows runs a nested
  // loop in which another page may complete and replace the buffers.
  c_.restoreScroll = 0;
  c_.pageUrl = utf16ToShiftJis(url);
  c_.speechCopyAvailable = 0;
  {
    const std::string text = c_.pageText;
    const std::string pageUrl = c_.pageUrl;
    analysePage(c_, text, pageUrl);
  }

  // 9. Reverse-row mode shows the rewritten page from memory.
  if (c_.reverseRows == 1) {
    const size_t n = reverseRowsAndFixLinks(c_.pageText, c_.gameOver == 1);
    if (n > 0) {
      if (c_.ports.browser) {
        const std::string rewritten = c_.pageText.substr(0, std::min(n, c_.pageText.size()));
        c_.ports.browser->showHtml(rewritten, c_.pageUrl);
      }
      c_.ownReloadPending = 1;
    }
  }

  // 10.
  c_.sendMessage(c_.speechCopyAvailable == 1 ? WM_ENABLE_SPEECH_COPY : WM_DISABLE_SPEECH_COPY, 0, 1);

  // 11.
  if (c_.restoreScroll == 1 && c_.ports.browser) {
    c_.ports.browser->scrollTo(c_.savedScrollLeft, c_.savedScrollTop);
  }
}

void BrowserEventSink::onNewWindow2(bool& cancel) {
  // Left uncancelled: the page opens outside the client.
  cancel = false;
}

void BrowserEventSink::onBrowserQuit() {
  // The browser is gone: nothing more is asked of it.
  c_.ports.browser = nullptr;
}

void BrowserEventSink::onContentLeftButtonDown() {
  AlarmPlayer(c_).stopCapacityAlarm();
}

}  // namespace jinro
