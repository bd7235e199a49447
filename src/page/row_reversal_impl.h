#pragma once
// The row reversal and link rewriting, written once over a policy of text
// primitives (Ops, with the static members of FastTextOps), so that the very
// same algorithm runs over the fast primitives and over a plain reference
// implementation of them. row_reversal.cpp instantiates it over FastTextOps.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "page/dialect.h"
#include "page/page_limits.h"
#include "page/page_reading_impl.h"
#include "page/row_reversal.h"
#include "base/text_scan.h"
#include "base/code_page.h"

namespace jinro::reversal {

// The tags of the table, found in any case, and the links made absolute
// (the dialects say which, page/dialect.h).
inline constexpr std::string_view kTableOpen = "<table";
inline constexpr std::string_view kRowOpen = "<tr>";
inline constexpr std::string_view kRowClose = "</tr>";
inline constexpr std::string_view kTableClose = "</table";
inline constexpr std::string_view kCgi = "cgi_jinro.cgi";
inline constexpr std::string_view kRelative = "./";
inline constexpr std::string_view kQuotes[] = {"\"", "'", ""};

inline std::string_view untilZero(std::string_view s) {
  const void* z = std::memchr(s.data(), 0, s.size());
  return z ? s.substr(0, static_cast<size_t>(static_cast<const char*>(z) - s.data())) : s;
}

// One pattern searched again and again from positions that only move
// forward. A search from a later position gives the earlier result when that
// result still lies ahead and the new position is a character start of the
// earlier walk, which a position just after a byte that cannot lead a
// double-byte character always is. The row walk searches from just after
// "<tr>" and "</tr>", so each pattern is scanned about once over the table.
template <class Ops>
class RepeatedSearch {
 public:
  RepeatedSearch(std::string_view text, std::string_view pattern) : text_(text), pattern_(pattern) {}

  // First match at or after pos, or kNotFound.
  size_t next(size_t pos) {
    if (valid_ && pos >= from_ && (at_ == kNotFound || pos <= at_) &&
        (pos == from_ || !isLeadByte(static_cast<unsigned char>(text_[pos - 1]))))
      return at_;
    valid_ = true;
    from_ = pos;
    at_ = Ops::findText(text_, pos, pattern_);
    return at_;
  }

 private:
  std::string_view text_;
  std::string_view pattern_;
  bool valid_ = false;
  size_t from_ = 0;
  size_t at_ = kNotFound;
};

// Makes the first relative link of the first form present (double-quoted,
// else single-quoted, else bare) absolute: head Q tail becomes head Q base tail.
// False when the result would not fit.
template <class Ops>
bool fixFirstLink(std::string& out, std::string_view head, std::string_view tail, std::string_view base) {
  for (std::string_view quote : kQuotes) {
    std::string pattern, replacement;
    pattern.append(head).append(quote).append(tail);
    replacement.append(head).append(quote).append(base).append(tail);
    if (Ops::replaceFirst(out, pattern, replacement, kPageTextLimit)) return true;
    if (Ops::findText(out, 0, pattern) != kNotFound) return false;
  }
  return true;
}

// The rewrite with a given base URL (which must not contain "./").
template <class Ops>
size_t reverseRowsAndFixLinksWith(std::string& text, bool gameOver, std::string_view base,
                                  ServerKind choice = ServerKind::automatic) {
  const std::string_view t = untilZero(text);
  const size_t end = t.size();
  if (end > kPageTextLimit) return 0;
  if (Ops::findText(base, 0, kRelative) != kNotFound) return 0;  // "./" replacement would never end
  const DialectTable* dialect = analysis::gameDialectWith<Ops>(t, choice);
  if (dialect == nullptr) return 0;

  const std::string_view anchorText = dialect->tableAnchor;
  const size_t anchor = Ops::findText(t, 0, anchorText);
  if (anchor == kNotFound) return 0;
  const size_t tableStart = Ops::findText(t, anchor + anchorText.size(), kTableOpen);
  if (tableStart == kNotFound) return 0;
  const size_t firstRow = Ops::findText(t, tableStart, kRowOpen);
  if (firstRow == kNotFound) return 0;
  // A table without rows: the rows after it belong to another table.
  if (const size_t close = Ops::findText(t, tableStart, kTableClose); close != kNotFound && close < firstRow) return 0;

  std::string out;
  out.reserve(end + 4096);
  Ops::appendText(out, t.substr(0, firstRow));

  // The walk over the rows: a row is top-level when its "<tr>" comes at depth 0.
  RepeatedSearch<Ops> opens(t, kRowOpen), closes(t, kRowClose), tableEnds(t, kTableClose);
  auto orEnd = [end](size_t at) { return at == kNotFound ? end : at; };
  std::vector<std::pair<size_t, size_t>> rows;  // [start, end) of each top-level row
  size_t openFrom = tableStart, closeFrom = tableStart, rowStart = 0, tableEnd = 0;
  int64_t depth = 0;
  for (;;) {
    const size_t open = orEnd(opens.next(openFrom));
    const size_t close = orEnd(closes.next(closeFrom));
    if (open == end && close == end) return 0;
    if (open < close) {
      if (depth == 0) rowStart = open;
      ++depth;
      openFrom = closeFrom = open + kRowOpen.size();
      continue;
    }
    closeFrom = close + kRowClose.size();
    if (--depth != 0) continue;
    const size_t rowEnd = closeFrom;
    const size_t tableClose = tableEnds.next(rowEnd);
    if (tableClose == kNotFound) return 0;
    if (rowEnd - rowStart > kRowLimit) return 0;
    rows.emplace_back(rowStart, rowEnd);
    if (tableClose < orEnd(opens.next(rowEnd)) && tableClose < orEnd(closes.next(rowEnd))) {
      tableEnd = tableClose;
      break;
    }
    openFrom = closeFrom = rowEnd;
  }

  for (auto row = rows.rbegin(); row != rows.rend(); ++row)
    Ops::appendText(out, t.substr(row->first, row->second - row->first));
  Ops::appendText(out, t.substr(tableEnd));

  // Links. Each step only lengthens the text, so a step that does not fit
  // means the whole result would not.
  if (dialect->baseBeforeFirstCgi && !Ops::insertBefore(out, kCgi, base, kPageTextLimit) &&
      Ops::findText(out, 0, kCgi) != kNotFound)
    return 0;
  Ops::replaceAll(out, kRelative, base, kPageTextLimit);
  if (Ops::findText(out, 0, kRelative) != kNotFound) return 0;
  for (const LinkFix& fix : dialect->linkFixes) {
    if (fix.onlyWhenGameOver && !gameOver) continue;
    for (int round = 0; round < fix.times; ++round)
      if (!fixFirstLink<Ops>(out, fix.head, fix.tail, base)) return 0;
  }

  text = std::move(out);
  return text.size();
}

}  // namespace jinro::reversal
