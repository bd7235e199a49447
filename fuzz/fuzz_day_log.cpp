// The log title and the bytes of tmp.html for arbitrary texts.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "logs/log_launch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string title = jinro::dayLogTitle(text);
  if (title.size() > 255) abort();
  std::string bytes = jinro::logFileBytes(text);
  // Every LF becomes CRLF; nothing else changes.
  size_t lf = 0;
  for (char ch : text) lf += ch == '\n';
  std::string_view upToZero = text.substr(0, std::min(text.find('\0'), text.size()));
  size_t lfz = 0;
  for (char ch : upToZero) lfz += ch == '\n';
  if (bytes.size() != upToZero.size() + lfz && bytes.size() != text.size() + lf) abort();
  return 0;
}
