// extractFieldValue on arbitrary pages and control names: the value is a
// substring of the page, at most 255 bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "monitor/page_analysis.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  size_t cut = in.empty() ? 0 : static_cast<unsigned char>(in[0]) % 16;
  std::string_view rest = in.empty() ? in : in.substr(1);
  std::string name(rest.substr(0, std::min(cut, rest.size())));
  std::string page(rest.substr(std::min(cut, rest.size())));
  for (const char* control : {"TXTPNO", "FORMID"}) {
    std::string v = jinro::extractFieldValue(page, control);
    if (v.size() > 255) abort();
    if (!v.empty() && page.find(v) == std::string::npos) abort();
  }
  std::string v = jinro::extractFieldValue(page, name);
  if (v.size() > 255) abort();
  return 0;
}
