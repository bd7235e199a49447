// The clipboard text of arbitrary pages in both row orders, against the same
// algorithm over the reference primitives, and the copy command of the speech
// view through the fake clipboard.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/code_page.h"
#include "client/speech_view.h"
#include "fakes/fakes.h"
#include "page/page_limits.h"
#include "page/speech_copy_impl.h"
#include "page/speech_text.h"
#include "reference/text_scan_reference.h"

namespace {

void fail(const char* what) {
  std::fprintf(stderr, "speech copy: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  for (bool reverse : {false, true}) {
    std::string out = "stale";
    const jinro::SpeechCopyResult r = jinro::speechText(page, reverse, out);
    if (r == jinro::SpeechCopyResult::copied && out.size() > jinro::kPageTextLimit) fail("text too long");
    if (r == jinro::SpeechCopyResult::markersMissing && !out.empty()) fail("text left behind without markers");
    std::string ref;
    const jinro::SpeechCopyResult rr =
        jinro::speech::speechTextWith<jinro::reference::ReferenceTextOps>(page, reverse, ref);
    if (r != rr) fail("result differs from the reference primitives");
    if (r == jinro::SpeechCopyResult::copied && out != ref) fail("text differs from the reference primitives");

    jinro::fake::FakeBrowser browser;
    jinro::fake::FakeClipboard clipboard;
    jinro::PageLoader loader(browser);
    jinro::SpeechView view(loader, clipboard);
    if (reverse) view.toggleReverseRows();
    view.show(std::string(page), "http://a.example/cgi_jinro.cgi", false, true, false);
    // In reverse-row mode the page is copied as the view showed it.
    const std::string& shown = browser.shown.empty() ? std::string(page) : browser.shown.back().first;
    std::string expected;
    const jinro::SpeechCopyResult shownResult = jinro::speechText(shown, reverse, expected);
    clipboard.text = "old";
    clipboard.hasText = true;
    view.copySpeeches();
    if (shownResult == jinro::SpeechCopyResult::notGamePage && (!clipboard.hasText || clipboard.text != "old"))
      fail("clipboard touched");
    if (shownResult == jinro::SpeechCopyResult::markersMissing && (clipboard.hasText || !clipboard.text.empty()))
      fail("clipboard not emptied");
    if (shownResult == jinro::SpeechCopyResult::copied && clipboard.text != jinro::shiftJisToUtf8(expected))
      fail("clipboard text");
    if (!reverse && shownResult == jinro::SpeechCopyResult::copied && clipboard.text != jinro::shiftJisToUtf8(out))
      fail("clipboard text");
  }
  return 0;
}
