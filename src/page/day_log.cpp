#include "page/day_log.h"

#include "base/code_page.h"
#include "base/text_scan.h"
#include "page/page_limits.h"
#include "page/page_reading_impl.h"

namespace jinro {
namespace {

const std::string kDayMarker = utf8ToShiftJis("日目");
const std::string kDayTitleSuffix = utf8ToShiftJis("日目の記録");
const std::string kPreDayTitle = utf8ToShiftJis("事件前日");

bool isDigit(char ch) { return ch >= '0' && ch <= '9'; }

// True when pos starts a character of text read from its beginning: the run of
// lead-byte values right before pos, which ends at a byte that is certainly
// the last of a character, must pair up.
bool isCharacterStart(std::string_view text, size_t pos) {
  size_t j = pos;
  while (j > 0 && isLeadByte(static_cast<unsigned char>(text[j - 1]))) --j;
  return (pos - j) % 2 == 0;
}

}  // namespace

std::string dayLogTitle(std::string_view text) {
  text = analysis::pageView(text);
  size_t pos = findText(text, 0, kDayMarker);
  while (pos != kNotFound) {
    const size_t after = pos + kDayMarker.size();
    if (pos > 0 && text[pos - 1] == '>' && after < text.size() && (text[after] == '<' || text[after] == ' ')) break;
    pos = findText(text, analysis::nextCharStart(text, pos), kDayMarker);
  }
  if (pos == kNotFound) return std::string(kPreDayTitle);

  // The number is the run of digits that ends right before the "<" of the
  // tag that closes just before "日目" (">" stands right before it).
  std::string title;
  size_t lt = text.rfind('<', pos - 1);
  if (lt != std::string_view::npos) {
    size_t start = lt;
    while (start > 0 && lt - start < kTitleLimit - kDayTitleSuffix.size() && isDigit(text[start - 1])) --start;
    // A digit value right after a lead byte is that character's second byte.
    if (start < lt && !isCharacterStart(text, start)) ++start;
    title.assign(text.substr(start, lt - start));
  }
  title += kDayTitleSuffix;
  return title;
}

std::string logFileBytes(std::string_view logText) {
  logText = analysis::untilZero(logText);
  std::string out;
  out.reserve(logText.size() + logText.size() / 16);
  size_t from = 0;
  for (size_t lf = logText.find('\n'); lf != std::string_view::npos; lf = logText.find('\n', from)) {
    out.append(logText, from, lf - from);
    out += "\r\n";
    from = lf + 1;
  }
  out.append(logText, from, std::string_view::npos);
  return out;
}

}  // namespace jinro
