#pragma once
// The speech text of a game page, written once over a policy of text
// primitives (Ops, with the static members of FastTextOps), so that it can be
// measured against a plain reference implementation of them.
#include <array>
#include <string>
#include <string_view>

#include "page/speech_text.h"
#include "page/page_reading_impl.h"
#include "base/code_page.h"
#include "base/text_scan.h"

namespace jinro::speech {

// The page's own words are matched in its Shift_JIS, converted once.
// The head of the speech table: these four in turn.
inline const std::string kAddressMarker = utf8ToShiftJis("番地<");
inline constexpr std::string_view kCellMarker = "cell";
inline constexpr std::string_view kWidthMarker = "160";
inline const std::string kFirstSpeechMarker = utf8ToShiftJis(">◆<");
// The ghosts' room, after the speeches in reverse-row mode.
inline const std::string kGhostRoomMarker = utf8ToShiftJis("◆ 幽霊の間");
inline constexpr std::string_view kInputMarker = "<input";
inline constexpr std::string_view kFooterCellMarker = "<td colspan=";
inline constexpr std::string_view kRowEnd = "</tr>";
// The copied text gets a space inside every "ん「".
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

template <class Ops>
SpeechCopyResult speechTextWith(std::string_view pageText, bool reverseRows, std::string& out) {
  std::string_view text = analysis::pageView(pageText);
  if (!analysis::contains<Ops>(text, analysis::kActionButton) &&
      !analysis::contains<Ops>(text, analysis::kRedisplayButton)) {
    return SpeechCopyResult::notGamePage;
  }
  out.clear();
  size_t at = Ops::findText(text, 0, kAddressMarker);
  if (at == kNotFound) return SpeechCopyResult::markersMissing;
  at = Ops::findText(text, at + kAddressMarker.size(), kCellMarker);
  if (at == kNotFound) return SpeechCopyResult::markersMissing;
  at = Ops::findText(text, at + kCellMarker.size(), kWidthMarker);
  if (at == kNotFound) return SpeechCopyResult::markersMissing;
  at = Ops::findText(text, at + kWidthMarker.size(), kFirstSpeechMarker);
  if (at == kNotFound) return SpeechCopyResult::markersMissing;
  const size_t start = at + 1;  // at the "◆"

  size_t end = kNotFound;
  if (reverseRows) {
    end = Ops::findText(text, start, kGhostRoomMarker);
    if (end == kNotFound) end = Ops::findText(text, start, kInputMarker);
  } else {
    end = Ops::findText(text, start, kFooterCellMarker);
  }
  if (end == kNotFound) return SpeechCopyResult::markersMissing;

  stripTags(text.substr(start, end - start), out);
  Ops::replaceAll(out, kRowEnd, "\r\n", kPageTextLimit);
  Ops::replaceAll(out, kNameBeforeQuote, kNameSpaceQuote, kPageTextLimit);
  return SpeechCopyResult::copied;
}

}  // namespace jinro::speech
