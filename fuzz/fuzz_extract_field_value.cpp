// extractFieldValue on arbitrary pages and control names, against the same
// algorithm over the reference primitives; the value is a piece of the page
// of at most 255 bytes. parseNumber on the same bytes stays in range and
// agrees with a plain reading.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "page/page_limits.h"
#include "page/page_reading.h"
#include "page/page_reading_impl.h"
#include "reference/text_scan_reference.h"

namespace {

void fail(const char* what) {
  std::fprintf(stderr, "extractFieldValue: %s\n", what);
  std::abort();
}

void check(std::string_view page, std::string_view name) {
  const std::string v = jinro::extractFieldValue(page, name);
  const std::string_view view = jinro::analysis::pageView(page);
  if (v.size() > jinro::kLoginValueLimit) fail("value longer than 255 bytes");
  if (!v.empty() && view.find(v) == std::string_view::npos) fail("value not taken from the page");
  const std::string ref =
      jinro::analysis::extractFieldValueWith<jinro::reference::ReferenceTextOps>(view, name);
  if (v != ref) fail("differs from the reference primitives");
  // A search that starts at the first occurrence of the name gives the same.
  const size_t first = jinro::findText(view, 0, jinro::analysis::untilZero(name));
  if (first != jinro::kNotFound &&
      jinro::analysis::extractFieldValueWith<jinro::FastTextOps>(view, name, first) != v)
    fail("search from the first occurrence differs");
}

// A plain reading of the same rule, for the few bytes at the front.
long plainNumber(std::string_view t) {
  t = t.substr(0, std::min(t.find('\0'), t.size())).substr(0, 255);
  size_t i = 0;
  while (i < t.size() && (t[i] == ' ' || (t[i] >= '\t' && t[i] <= '\r'))) ++i;
  bool neg = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
  __int128 v = 0;
  for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
    v = v * 10 + (t[i] - '0');
    if (v > (__int128)LONG_MAX + 1) v = (__int128)LONG_MAX + 1;
  }
  if (neg) v = -v;
  if (v > LONG_MAX) return LONG_MAX;
  if (v < LONG_MIN) return LONG_MIN;
  return static_cast<long>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string name = in.ConsumeRandomLengthString(16);
  const std::string page = in.ConsumeRemainingBytesAsString();
  for (const char* control : {"TXTPNO", "TXTPASS", "VILLAGENO", "TXTLOGIN", "FORMID"}) check(page, control);
  check(page, name);
  if (jinro::parseNumber(page) != plainNumber(page)) fail("parseNumber");
  return 0;
}
