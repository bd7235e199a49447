// The clipboard text of arbitrary pages, in both modes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "logs/speech_copy.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view page(reinterpret_cast<const char*>(data), size);
  for (bool reverse : {false, true}) {
    std::string out;
    jinro::SpeechCopyResult r = jinro::speechText(page, reverse, out);
    if (r != jinro::SpeechCopyResult::copied && !out.empty()) abort();
    if (out.size() > 512000) abort();
  }
  return 0;
}
