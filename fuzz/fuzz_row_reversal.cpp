// reverseRowsAndFixLinks on arbitrary pages, against the step-by-step
// reference: the same length and the same text, an unchanged text whenever it
// returns 0, and never more than 511,999 bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "jinro/server_base_url.h"
#include "page/row_reversal.h"
#include "reference/row_reversal_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool gameOver = data[0] & 1;
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string before = text;
  std::string ref = text;
  const size_t n = jinro::reverseRowsAndFixLinks(text, gameOver, jinro::ServerKind::standard);
  const size_t want = jinro::reference::reverseRowsAndFixLinks(ref, gameOver, jinro::kServerBaseUrl);
  if (n == 0 && text != before) {
    std::fprintf(stderr, "row reversal: changed the text but returned 0\n");
    std::abort();
  }
  if (n != 0 && (n != text.size() || n > 511999)) {
    std::fprintf(stderr, "row reversal: returned %zu for a text of %zu bytes\n", n, text.size());
    std::abort();
  }
  if (n != want || text != ref) {
    std::fprintf(stderr, "row reversal: %zu bytes, the reference %zu, texts %s\n", n, want,
                 text == ref ? "equal" : "differ");
    std::abort();
  }
  return 0;
}
