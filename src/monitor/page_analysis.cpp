#include "monitor/page_analysis.h"

#include "monitor/page_analysis_impl.h"

namespace jinro {

void analysePage(ClientController& c, std::string_view pageText, std::string_view pageUrl) {
  analysis::analysePageWith<FastTextOps>(c, pageText, pageUrl);
}

void checkPageEvents(ClientController& c, std::string_view pageText, bool previousPhaseNotNight) {
  analysis::checkPageEventsWith<FastTextOps>(c, analysis::pageView(pageText), previousPhaseNotNight);
}

bool isNightPage(const ClientController& c, std::string_view pageText) {
  return analysis::isNightPageWith<FastTextOps>(c, analysis::pageView(pageText));
}

std::string extractFieldValue(std::string_view text, std::string_view controlName) {
  return analysis::extractFieldValueWith<FastTextOps>(analysis::pageView(text), controlName);
}

long parseNumber(std::string_view text) { return analysis::parseNumberText(text); }

std::string buildPostBody(const ClientController& c, std::string_view pageText) {
  return analysis::postBodyFrom(c.loginValues,
                                analysis::contains<FastTextOps>(analysis::pageView(pageText), analysis::kActionButton));
}

}  // namespace jinro
