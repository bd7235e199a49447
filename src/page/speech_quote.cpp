#include "page/speech_quote.h"

#include "page/speech_copy_impl.h"

namespace jinro {

std::optional<std::string> speechQuoteLine(std::string_view pageText, std::string_view rowHtml, ServerKind choice) {
  static const std::string kQuoteOpen = utf8ToShiftJis("「");
  const std::string_view text = analysis::pageView(pageText);
  const DialectTable* dialect = analysis::gameDialectWith<FastTextOps>(text, choice);
  if (dialect == nullptr || (rowHtml.substr(0, 3) != "<tr" && rowHtml.substr(0, 3) != "<TR")) return std::nullopt;
  // The row must stand among the speeches of the page as it came (the page
  // shown newest-first holds the same rows).
  const speech::SpeechRegion region = speech::speechRegionWith<FastTextOps>(text, *dialect, false);
  if (region.start == kNotFound) return std::nullopt;
  // The speeches may start inside their first row: its own start counts.
  size_t from = region.start;
  const std::string_view before = text.substr(0, region.start);
  const size_t open = std::max(before.rfind("<tr") + 1, before.rfind("<TR") + 1);  // 0: none
  const size_t close = std::max(before.rfind("</tr") + 1, before.rfind("</TR") + 1);
  if (open > close) from = open - 1;
  if (findText(text.substr(0, region.end), from, rowHtml) == kNotFound) return std::nullopt;

  std::string line;
  speech::stripTags(rowHtml, line);
  FastTextOps::replaceAll(line, speech::kRowEnd, "", kPageTextLimit);
  FastTextOps::replaceAll(line, "</TR>", "", kPageTextLimit);
  if (findText(line, 0, kQuoteOpen) == kNotFound) return std::nullopt;
  FastTextOps::replaceAll(line, speech::kNameBeforeQuote, speech::kNameSpaceQuote, kPageTextLimit);
  return line;
}

}  // namespace jinro
