#include "page/day_number.h"

#include <string>

#include "base/code_page.h"
#include "base/text_scan.h"

namespace jinro {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
// The second byte of a full-width digit (0x82 0x4F..0x58).
bool isWideDigit(std::string_view t, size_t at) {
  return at >= 1 && static_cast<unsigned char>(t[at - 1]) == 0x82 && static_cast<unsigned char>(t[at]) >= 0x4F &&
         static_cast<unsigned char>(t[at]) <= 0x58;
}

}  // namespace

int dayNumber(std::string_view page) {
  static const std::string kDay = utf8ToShiftJis("日目");
  size_t from = findText(page, 0, "</title>");
  from = from == kNotFound ? 0 : from;
  const size_t at = findText(page, from, kDay);
  if (at == kNotFound) return 0;
  // Back over blanks and closing or opening tags to the number.
  size_t end = at;
  while (end > from) {
    const char c = page[end - 1];
    if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
      --end;
    } else if (c == '>') {
      const size_t open = page.rfind('<', end - 1);
      if (open == std::string_view::npos || open < from) return 0;
      end = open;
    } else {
      break;
    }
  }
  long value = 0;
  long scale = 1;
  size_t i = end;
  while (i > from && scale <= 10000) {
    if (isDigit(page[i - 1])) {
      value += (page[i - 1] - '0') * scale;
      --i;
    } else if (isWideDigit(page, i - 1)) {
      value += (static_cast<unsigned char>(page[i - 1]) - 0x4F) * scale;
      i -= 2;
    } else {
      break;
    }
    scale *= 10;
  }
  return i == end ? 0 : static_cast<int>(value);
}

}  // namespace jinro
