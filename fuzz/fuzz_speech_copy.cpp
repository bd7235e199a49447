// The clipboard text of arbitrary pages in both row orders, against the same
// algorithm over the reference primitives, and the copy command through the
// fake clipboard.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "logs/speech_copy.h"
#include "logs/speech_copy_impl.h"
#include "platform/fake/fakes.h"
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

    jinro::fake::FakePlatform fakes;
    jinro::ClientController c(fakes.ports());
    c.pageText.assign(page);
    c.reverseRows = reverse;
    fakes.clipboard.text = "old";
    fakes.clipboard.hasText = true;
    jinro::copySpeeches(c);
    if (r == jinro::SpeechCopyResult::notGamePage && fakes.clipboard.text != "old") fail("clipboard touched");
    if (r == jinro::SpeechCopyResult::markersMissing && (fakes.clipboard.hasText || fakes.clipboard.clears != 1))
      fail("clipboard not emptied");
    if (r == jinro::SpeechCopyResult::copied && fakes.clipboard.text != out) fail("clipboard text");
  }
  return 0;
}
