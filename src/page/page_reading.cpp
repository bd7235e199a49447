#include "page/page_reading.h"

#include "page/page_reading_impl.h"

namespace jinro {

PageReading readPage(const Settings& settings, std::string_view pageText, std::string_view pageUrl) {
  return analysis::readPageWith<FastTextOps>(settings, pageText, pageUrl);
}

std::string extractFieldValue(std::string_view text, std::string_view controlName) {
  return analysis::extractFieldValueWith<FastTextOps>(analysis::pageView(text), controlName);
}

long parseNumber(std::string_view text) { return analysis::parseNumberText(text); }

}  // namespace jinro
