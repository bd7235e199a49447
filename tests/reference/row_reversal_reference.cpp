#include "reference/row_reversal_reference.h"

#include <cstring>
#include <vector>

#include "page/page_limits.h"
#include "page/row_reversal.h"
#include "reference/text_scan_reference.h"

namespace jinro::reference {
namespace {

const std::string kActionLabel = "\x8D\x73\x93\xAE/\x8D\x58\x90\x56";  // 行動/更新
const std::string kRedisplayLabel = "\x8D\xC4\x95\x5C\x8E\xA6";        // 再表示
const std::string kTableAnchor = "\x94\xD4\x92\x6E<";                  // 番地<
const std::string kRoleIntro =                                         // アナタの役割は「
    "\x83\x41\x83\x69\x83\x5E\x82\xCC\x96\xF0\x8A\x84\x82\xCD\x81\x75";

size_t findOrEnd(const std::string& text, size_t from, const std::string& pattern) {
  const size_t at = findText(text, from, pattern);
  return at == kNotFound ? text.size() : at;
}

// One of the three forms of a link, double-quoted first: replaced once.
// False when the replacement would not fit.
bool fixLink(std::string& out, const std::string& head, const std::string& tail, const std::string& base) {
  for (const std::string quote : {"\"", "'", ""}) {
    if (replaceFirst(out, head + quote + tail, head + quote + base + tail, kPageTextLimit)) return true;
    if (findText(out, 0, head + quote + tail) != kNotFound) return false;
  }
  return true;
}

}  // namespace

size_t reverseRowsAndFixLinks(std::string& text, bool gameOver, std::string_view baseUrl) {
  const std::string base(baseUrl);
  std::string page(text.c_str());  // the text up to its terminator
  if (page.size() > kPageTextLimit) return 0;
  if (findText(base, 0, "./") != kNotFound) return 0;

  // The markers; the text before the first row.
  if (findText(page, 0, kActionLabel) == kNotFound && findText(page, 0, kRedisplayLabel) == kNotFound) return 0;
  const size_t anchor = findText(page, 0, kTableAnchor);
  if (anchor == kNotFound) return 0;
  const size_t tableStart = findText(page, anchor + kTableAnchor.size(), "<table");
  if (tableStart == kNotFound) return 0;
  const size_t firstRow = findText(page, tableStart, "<tr>");
  if (firstRow == kNotFound) return 0;
  if (findOrEnd(page, tableStart, "</table") < firstRow) return 0;  // a table without rows
  std::string out;
  appendText(out, page.substr(0, firstRow));

  // The rows.
  std::vector<std::string> blocks;
  size_t startTag = tableStart, endTag = tableStart, rowStart = 0, tableEnd = 0;
  long depth = 0;
  for (;;) {
    const size_t open = findOrEnd(page, startTag, "<tr>");
    const size_t close = findOrEnd(page, endTag, "</tr>");
    if (open == page.size() && close == page.size()) return 0;
    if (open < close) {
      if (depth == 0) rowStart = open;
      depth += 1;
      startTag = endTag = open + 4;
    } else {
      endTag = close + 5;
      depth -= 1;
      if (depth != 0) continue;
      const size_t rowEnd = endTag;
      const size_t tableClose = findText(page, rowEnd, "</table");
      if (tableClose == kNotFound) return 0;
      const size_t nextOpen = findOrEnd(page, rowEnd, "<tr>");
      const size_t nextClose = findOrEnd(page, rowEnd, "</tr>");
      if (rowEnd - rowStart > kRowLimit) return 0;
      blocks.push_back(page.substr(rowStart, rowEnd - rowStart));
      if (tableClose < nextOpen && tableClose < nextClose) {
        tableEnd = tableClose;
        break;
      }
      startTag = endTag = rowEnd;
    }
  }

  // The rows, last first, and the rest from "</table".
  for (size_t k = blocks.size(); k-- > 0;) appendText(out, blocks[k]);
  appendText(out, page.substr(tableEnd));

  // The links.
  if (!insertBefore(out, "cgi_jinro.cgi", base, kPageTextLimit) && findText(out, 0, "cgi_jinro.cgi") != kNotFound)
    return 0;
  while (replaceFirst(out, "./", base, kPageTextLimit)) {
  }
  if (findText(out, 0, "./") != kNotFound) return 0;
  if (gameOver) {
    for (int round = 0; round < 2; ++round)
      if (!fixLink(out, "<A href=", "cgi_jinro.cgi?COMMAND=LOGVIEW", base)) return 0;
  }
  if (!fixLink(out, kRoleIntro + "<A href=", "jinro_rule.html", base)) return 0;

  text = out;
  return out.size();
}

}  // namespace jinro::reference
