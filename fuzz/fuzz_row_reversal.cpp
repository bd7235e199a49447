// reverseRowsAndFixLinks on arbitrary pages: a result within the limit, and
// an unchanged text whenever it returns 0.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "logs/row_reversal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  bool gameOver = data[0] & 1;
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  if (size_t z = text.find('\0'); z != std::string::npos) text.resize(z);
  const std::string before = text;
  size_t n = jinro::reverseRowsAndFixLinks(text, gameOver);
  if (n == 0 && text != before) abort();
  if (n != 0 && n != text.size()) abort();
  if (text.size() > 511999 && n != 0) abort();
  return 0;
}
