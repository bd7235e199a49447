#pragma once
// The speech text of a game page, written once over a policy of text
// primitives (Ops, with the static members of FastTextOps), so that it can be
// measured against a plain reference implementation of them.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "page/dialect.h"
#include "page/speech_text.h"
#include "page/page_reading_impl.h"
#include "base/code_page.h"
#include "base/text_scan.h"

namespace jinro::speech {

// The copied text gets a space inside every "ん「" (Shift_JIS); each row ends
// in a line break. Where the speeches stand is the dialect's (page/dialect.h).
inline constexpr std::string_view kRowEnd = "</tr>";
inline const std::string kNameBeforeQuote = utf8ToShiftJis("ん「");
inline const std::string kNameSpaceQuote = utf8ToShiftJis("ん 「");

// Drops the tags of the speech part and its source line breaks (CRLF, and a
// lone LF, as this browser hands pages back), keeping the row end tags
// "</tr>" and "</TR>" as text. A "<" without a ">" after it ends the text.
inline void stripTags(std::string_view work, std::string& out) {
  static constexpr std::array<bool, 256> kSpecial = [] {
    std::array<bool, 256> t{};
    t['<'] = t['\r'] = t['\n'] = true;
    return t;
  }();
  out.reserve(work.size());
  const size_t n = work.size();
  size_t seg = 0;
  size_t i = 0;
  while (i < n) {
    if (!kSpecial[static_cast<unsigned char>(work[i])]) {
      ++i;
      continue;
    }
    const char ch = work[i];
    if (ch == '\r') {
      if (i + 1 < n && work[i + 1] == '\n') {
        out.append(work, seg, i - seg);
        i += 2;
        seg = i;
      } else {
        ++i;
      }
    } else if (ch == '\n') {
      out.append(work, seg, i - seg);
      i += 1;
      seg = i;
    } else {  // '<'
      out.append(work, seg, i - seg);
      std::string_view tail = work.substr(i + 1, 4);
      if (n - i >= 5 && (tail == "/tr>" || tail == "/TR>")) {
        seg = i;
        i += 1;
      } else {
        size_t gt = work.find('>', i + 1);
        if (gt == std::string_view::npos) return;
        i = gt + 1;
        seg = i;
      }
    }
  }
  out.append(work, seg, n - seg);
}

// The first of the markers found after from, tried in order.
template <class Ops>
size_t firstOfFound(std::string_view text, size_t from, const std::vector<std::string>& markers) {
  for (const std::string& marker : markers)
    if (const size_t at = Ops::findText(text, from, marker); at != kNotFound) return at;
  return kNotFound;
}

// Where the speeches of a game page of the dialect stand: [start, end) of
// the text, or kNotFound in `start` when its markers are missing.
struct SpeechRegion {
  size_t start = kNotFound;
  size_t end = kNotFound;
};

template <class Ops>
SpeechRegion speechRegionWith(std::string_view text, const DialectTable& dialect, bool reverseRows) {
  size_t at = 0;
  size_t markerSize = 0;
  for (const std::string& marker : dialect.copyStart) {
    at = Ops::findText(text, at + markerSize, marker);
    if (at == kNotFound) return {};
    markerSize = marker.size();
  }
  const size_t start = at + dialect.startSkip;

  size_t end = firstOfFound<Ops>(text, start, reverseRows ? dialect.copyEndReversed : dialect.copyEnd);
  if (end == kNotFound) return {};
  if (!dialect.endBackTo.empty()) {
    // The last such text before the end: the close of the table the speeches are in.
    size_t last = kNotFound;
    for (size_t p = Ops::findText(text.substr(0, end), start, dialect.endBackTo); p != kNotFound;
         p = Ops::findText(text.substr(0, end), p + dialect.endBackTo.size(), dialect.endBackTo))
      last = p;
    if (last == kNotFound) return {};
    end = last;
  }
  return {start, end};
}

template <class Ops>
SpeechCopyResult speechTextWith(std::string_view pageText, bool reverseRows, std::string& out,
                                ServerKind choice = ServerKind::automatic) {
  std::string_view text = analysis::pageView(pageText);
  const DialectTable* dialect = analysis::gameDialectWith<Ops>(text, choice);
  if (dialect == nullptr) return SpeechCopyResult::notGamePage;
  out.clear();
  const SpeechRegion region = speechRegionWith<Ops>(text, *dialect, reverseRows);
  if (region.start == kNotFound) return SpeechCopyResult::markersMissing;
  const size_t start = region.start;
  const size_t end = region.end;

  stripTags(text.substr(start, end - start), out);
  Ops::replaceAll(out, kRowEnd, "\r\n", kPageTextLimit);
  Ops::replaceAll(out, kNameBeforeQuote, kNameSpaceQuote, kPageTextLimit);
  return SpeechCopyResult::copied;
}

}  // namespace jinro::speech
