// The text primitives against their plain reference implementation: findText
// (both scans), appendText, insertBefore, replaceFirst and replaceAll must
// give the same results and the same texts for any bytes, positions and
// limits.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>

#include "base/text_scan.h"
#include "reference/text_scan_reference.h"

namespace {

void fail(const char* what) {
  std::fprintf(stderr, "text ops differ from the reference: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const uint8_t op = in.ConsumeIntegral<uint8_t>();
  std::string pattern = in.ConsumeRandomLengthString(24);
  std::string other = in.ConsumeRandomLengthString(24);
  const size_t slack = in.ConsumeIntegralInRange<size_t>(0, 64);
  const size_t from = in.ConsumeIntegralInRange<size_t>(0, 4096);
  std::string text = in.ConsumeRemainingBytesAsString();
  // Bounded so that a replacement that re-creates its match (limit + 1 rounds
  // of the reference, each over the whole area) stays quick.
  const size_t limit = std::min<size_t>(text.size() + slack, 1024);

  switch (op % 5) {
    case 0: {
      const size_t at = std::min(from, text.size() + 1);
      const size_t want = jinro::reference::findText(text, at, pattern);
      if (jinro::findText(text, at, pattern) != want) fail("findText");
      if (jinro::text_scan_detail::findTextPortable(text, at, pattern) != want) fail("findTextPortable");
      if (want != jinro::kNotFound && (want < at || want >= text.size())) fail("findText position");
      break;
    }
    case 1: {
      std::string a = other;
      std::string b = other;
      if (jinro::appendText(a, text) != jinro::reference::appendText(b, text) || a != b) fail("appendText");
      break;
    }
    case 2: {
      std::string a = text;
      std::string b = text;
      if (jinro::insertBefore(a, pattern, other, limit) != jinro::reference::insertBefore(b, pattern, other, limit) ||
          a != b)
        fail("insertBefore");
      break;
    }
    case 3: {
      std::string a = text;
      std::string b = text;
      if (jinro::replaceFirst(a, pattern, other, limit) != jinro::reference::replaceFirst(b, pattern, other, limit) ||
          a != b)
        fail("replaceFirst");
      break;
    }
    case 4: {
      std::string a = text;
      std::string b = text;
      const size_t n = jinro::replaceAll(a, pattern, other, limit);
      if (n != jinro::reference::replaceAll(b, pattern, other, limit) || a != b) fail("replaceAll");
      if (n > 0 && a.size() > limit) fail("replaceAll limit");
      break;
    }
  }
  return 0;
}
