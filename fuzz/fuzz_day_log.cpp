// The log title and the bytes of tmp.html for arbitrary texts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "page/day_log.h"

namespace {

void fail(const char* what) {
  std::fprintf(stderr, "day log: %s\n", what);
  std::abort();
}

// "日目の記録", "事件前日"
constexpr std::string_view kSuffix = "\x93\xFA\x96\xDA\x82\xCC\x8B\x4C\x98^";
constexpr std::string_view kPreDay = "\x8E\x96\x8C\x8F\x91O\x93\xFA";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string title = jinro::dayLogTitle(text);
  if (title.size() > 255) fail("title longer than 255 bytes");
  if (title != kPreDay) {
    // Digits and then the suffix; the digits stand in the text.
    if (!title.ends_with(kSuffix)) fail("title without its suffix");
    const std::string_view digits = std::string_view(title).substr(0, title.size() - kSuffix.size());
    for (char ch : digits)
      if (ch < '0' || ch > '9') fail("title number holds a non-digit");
    if (!digits.empty() && text.find(digits) == std::string_view::npos) fail("title number not in the text");
  }

  // Every LF becomes CRLF, nothing else changes; the text ends at a zero byte.
  const std::string bytes = jinro::logFileBytes(text);
  const std::string_view upToZero = text.substr(0, std::min(text.find('\0'), text.size()));
  std::string want;
  for (char ch : upToZero) {
    if (ch == '\n') want += '\r';
    want += ch;
  }
  if (bytes != want) fail("log bytes");
  return 0;
}
