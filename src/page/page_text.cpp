#include "page/page_text.h"

#include <algorithm>

#include "base/code_page.h"
#include "page/page_limits.h"

namespace jinro {

void pageTextFromHtml(std::u16string_view html, std::string& text) {
  const size_t enough = 2 * kPageTextArea;
  utf16ToShiftJis(html.substr(0, std::min(html.size(), enough)), text);
  if (const size_t zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
  text.resize(cutOnCharacterBoundary(text, kPageTextLimit).size());
}

std::string pageTextFromUtf16(std::u16string_view text) { return utf16ToShiftJis(text); }

std::string pageTextToUtf8(std::string_view pageText) { return shiftJisToUtf8(pageText); }

}  // namespace jinro
