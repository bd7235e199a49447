#pragma once
// The reading of a page, written once over a policy of text primitives (Ops,
// with the static members of FastTextOps), so that the very same algorithm
// can run over the fast primitives and over a plain reference implementation
// of them. page_reading.cpp instantiates it over FastTextOps.
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/code_page.h"
#include "base/text_scan.h"
#include "page/day_number.h"
#include "page/dialect.h"
#include "page/page_limits.h"
#include "page/page_reading.h"
#include "settings/alarm_kind.h"
#include "settings/settings.h"

namespace jinro::analysis {

// ---------------------------------------------------------------------------
// Marker texts every dialect shares (Shift_JIS bytes); the rest are the
// dialects' own (page/dialect.h).

inline constexpr std::string_view kTitleOpen = "<title>";
inline constexpr std::string_view kTitleClose = "</title>";
inline const std::string kPreDayMarker = utf8ToShiftJis(">事件前日<");
inline const std::string kPersonMarker = utf8ToShiftJis("人");
inline constexpr std::string_view kLinkAttribute = "a href";
inline constexpr std::string_view kValueAttribute = "value";

inline constexpr size_t kNumberTextLimit = 255;

// ---------------------------------------------------------------------------
// Small helpers shared by the page engine.

inline std::string_view untilZero(std::string_view text) {
  size_t z = text.find('\0');
  return z == std::string_view::npos ? text : text.substr(0, z);
}

// The page as the searches see it: up to its first zero byte, and at most
// 511,999 bytes, cut on a character boundary.
inline std::string_view pageView(std::string_view text) {
  text = untilZero(text);
  if (text.size() > kPageTextLimit) text = cutOnCharacterBoundary(text, kPageTextLimit);
  return text;
}

// The start of the character after the one starting at pos.
inline size_t nextCharStart(std::string_view text, size_t pos) {
  return pos + (isLeadByte(static_cast<unsigned char>(text[pos])) ? 2 : 1);
}

template <class Ops>
bool contains(std::string_view text, std::string_view pattern) {
  return Ops::findText(text, 0, pattern) != kNotFound;
}

// Leading white space, an optional sign, then decimal digits up to the first
// other byte; no digits give 0. At most 255 bytes are read; values beyond the
// range of long saturate.
inline long parseNumberText(std::string_view text) {
  text = untilZero(text).substr(0, kNumberTextLimit);
  size_t i = 0;
  const size_t n = text.size();
  auto space = [](char ch) { return ch == ' ' || (ch >= '\t' && ch <= '\r'); };
  while (i < n && space(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr unsigned long long kMax = static_cast<unsigned long long>(LONG_MAX);
  unsigned long long value = 0;
  for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
    const unsigned digit = static_cast<unsigned>(text[i] - '0');
    if (value <= kMax) value = value > (kMax - digit) / 10 ? kMax + 1 : value * 10 + digit;
  }
  if (negative) return value > kMax ? LONG_MIN : -static_cast<long>(value);
  return value > kMax ? LONG_MAX : static_cast<long>(value);
}

// The refresh body from the login values: the dialect's action fields first
// when they belong, then each login control in the dialect's order, values as
// they stand. The body holds at most 1023 bytes; a field that would not fit
// whole is left out with every field after it.
inline std::string postBodyFrom(const DialectTable& dialect, const LoginValues& values, bool withActionFields) {
  std::string body;
  body.reserve(kTextField);
  if (withActionFields) body = dialect.actionFields;
  for (size_t i = 0; i < dialect.loginControls.size() && i < values.size(); ++i) {
    const std::string& name = dialect.loginControls[i];
    std::string_view value = cutOnCharacterBoundary(untilZero(values[i]), kLoginValueLimit);
    size_t need = (i ? 1 : 0) + name.size() + 1 + value.size();
    if (body.size() + need > kPostBodyLimit) break;
    if (i) body += '&';
    body += name;
    body += '=';
    body += value;
  }
  return body;
}

// ---------------------------------------------------------------------------
// The searching algorithms.

// The value of the form control named name: the tag around the first
// occurrence of the name that is not inside a link, its "value" attribute,
// quoted or bare, at most 255 bytes. Empty when there is none. The text is a
// page view (see pageView). The name is searched from the start of the text,
// or from searchFrom when the caller knows that no occurrence of the name
// starts before it and that a search from the start walks through it.
template <class Ops>
std::string extractFieldValueWith(std::string_view text, std::string_view name, size_t searchFrom = 0) {
  name = untilZero(name);
  const size_t n = text.size();
  size_t link = kNotFound;  // the last "a href" found
  size_t lt = kNotFound;  // nearest "<" before the occurrence
  size_t ltScanned = 0;   // "<" looked for in [0, ltScanned)
  size_t gt = kNotFound;  // first ">" after the occurrence's first byte
  bool gtKnown = false;

  for (size_t pos = Ops::findText(text, searchFrom, name); pos != kNotFound;
       pos = Ops::findText(text, nextCharStart(text, pos), name)) {
    if (pos > ltScanned) {
      size_t r = text.substr(ltScanned, pos - ltScanned).rfind('<');
      if (r != std::string_view::npos) lt = ltScanned + r;
      ltScanned = pos;
    }
    if (lt == kNotFound) continue;  // not inside any tag
    if (!gtKnown || (gt != kNotFound && gt <= pos)) {
      gt = text.find('>', pos + 1);
      gtKnown = true;
    }
    if (gt == kNotFound) return {};  // an unclosed tag holds no value
    // A link: the first "a href" from the tag's start ends within the tag.
    // One found for an earlier tag that lies after this tag's "<" is this
    // tag's first too, and inside it: a search walks the text a character at
    // a time, and two walks that pass the same "<" (never a lead byte) take
    // the same character starts after it; the earlier search ended at a ">"
    // no later than this one. So the page is searched once for "a href",
    // however many links hold the name.
    if (link == kNotFound || link <= lt) link = Ops::findText(text.substr(0, gt), lt, kLinkAttribute);
    if (link != kNotFound) continue;  // the name is part of a link

    // "value" from the tag's start; found after the tag's end, it can only
    // give an empty value, so the search stops at the ">".
    std::string_view tagText = text.substr(0, gt);
    size_t v = Ops::findText(tagText, lt, kValueAttribute);
    if (v == kNotFound) return {};
    size_t eq = tagText.find('=', v + kValueAttribute.size());
    if (eq == std::string_view::npos) return {};
    size_t p = eq + 1;
    while (p < n && text[p] == ' ') ++p;
    if (p >= gt) return {};
    size_t start = 0;
    size_t end = 0;
    if (text[p] == '"' || text[p] == '\'') {
      start = p + 1;
      end = text.find('"', start);
      if (end == std::string_view::npos) end = text.find('\'', start);
    } else {
      start = p;
      end = text.find_first_of("> ", p + 1);
    }
    if (end == std::string_view::npos || end > gt) return {};
    return std::string(cutOnCharacterBoundary(text.substr(start, end - start), kLoginValueLimit));
  }
  return {};
}

// The number between a marker and the next "人" after it; with
// skipOneSpace, a space right after the marker is stepped over first.
// A missing marker gives 0.
template <class Ops>
long numberAfterMarker(std::string_view text, std::string_view marker, bool skipOneSpace) {
  size_t at = Ops::findText(text, 0, marker);
  if (at == kNotFound) return 0;
  size_t start = at + marker.size();
  if (skipOneSpace && start < text.size() && text[start] == ' ') ++start;
  size_t end = Ops::findText(text, start, kPersonMarker);
  if (end == kNotFound) return 0;
  return parseNumberText(text.substr(start, end - start));
}

template <class Ops>
long countOf(std::string_view text, std::string_view marker) {
  if (marker.empty()) return 0;
  long n = 0;
  for (size_t at = Ops::findText(text, 0, marker); at != kNotFound;
       at = Ops::findText(text, at + marker.size(), marker))
    ++n;
  return n;
}

template <class Ops>
long lobbyCount(std::string_view text, const LobbyCount& count) {
  switch (count.kind) {
    case LobbyCount::Kind::afterMarker: return numberAfterMarker<Ops>(text, count.marker, count.skipOneSpace);
    case LobbyCount::Kind::cellsMarked: return countOf<Ops>(text, count.marker);
    case LobbyCount::Kind::fixed: break;
  }
  return count.value;
}

// The dialect a game page is in, and which of its markers told it.
struct GameDialect {
  const DialectTable* dialect = nullptr;
  size_t marker = 0;
};

// The first dialect, among those the choice allows, whose game pages look
// like this page; none for a page that is no game page.
template <class Ops>
GameDialect findGameDialectWith(std::string_view text, ServerKind choice) {
  for (const DialectTable* dialect : candidateDialects(choice)) {
    const std::string_view where = dialect->markersWithin ? text.substr(0, dialect->markersWithin) : text;
    for (size_t i = 0; i < dialect->gamePageMarkers.size(); ++i)
      if (contains<Ops>(where, dialect->gamePageMarkers[i])) return {dialect, i};
  }
  return {};
}

template <class Ops>
const DialectTable* gameDialectWith(std::string_view text, ServerKind choice) {
  return findGameDialectWith<Ops>(text, choice).dialect;
}

// Whether the refresh posts the dialect's action fields: always, or when the
// page holds its action marker. The markers tried before the one that told
// the dialect are known to be absent, and the one that told it present.
template <class Ops>
bool withActionFieldsWith(std::string_view text, const GameDialect& found) {
  const DialectTable& d = *found.dialect;
  if (d.actionMarker.empty()) return true;
  if (d.markersWithin == 0) {
    for (size_t i = 0; i <= found.marker; ++i)
      if (d.gamePageMarkers[i] == d.actionMarker) return i == found.marker;
  }
  return contains<Ops>(text, d.actionMarker);
}

// Night when the night kind's middle text starts after the end of the first
// left text and no later than the end of the first right text.
template <class Ops>
bool isNightPageWith(const PageTriggers& triggers, std::string_view text) {
  const std::string_view left = triggers.nightLeft;
  const std::string_view middle = triggers.nightMiddle;
  const std::string_view right = triggers.nightRight;
  size_t l = Ops::findText(text, 0, left);
  if (l == kNotFound) return false;
  size_t r = Ops::findText(text, 0, right);
  if (r == kNotFound) return false;
  size_t m = Ops::findText(text, l + left.size(), middle);
  if (m == kNotFound) return false;
  return m <= r + right.size();
}

inline constexpr std::array<AlarmKind, 7> kPageEventOrder = {
    AlarmKind::jinro, AlarmKind::hikiwake, AlarmKind::sonmin, AlarmKind::yoko,
    AlarmKind::nekomata, AlarmKind::tohyo, AlarmKind::kodo};

// Victories and the draw first, then vote and action: the first whose
// trigger text, or whose own line in the page's dialect, the page holds.
template <class Ops>
std::optional<AlarmKind> pageEventWith(const PageTriggers& triggers, const DialectTable& dialect,
                                       std::string_view text) {
  for (AlarmKind kind : kPageEventOrder) {
    if (contains<Ops>(text, triggers.trigger(kind))) return kind;
    const std::string_view own = dialect.ownTrigger(kind);
    if (!own.empty() && contains<Ops>(text, own)) return kind;
  }
  return std::nullopt;
}

// The registration form: the player's trigger, or the heading of any
// dialect the page may be in.
template <class Ops>
bool isRegistrationPageWith(const PageTriggers& triggers, std::string_view text) {
  if (contains<Ops>(text, triggers.trigger(AlarmKind::sonmintoroku))) return true;
  for (const DialectTable* dialect : candidateDialects(triggers.serverKind)) {
    const std::string_view own = dialect->ownTrigger(AlarmKind::sonmintoroku);
    if (!own.empty() && contains<Ops>(text, own)) return true;
  }
  return false;
}

// The login values. The names that begin with "TXT" are searched from the
// first "TXT" of the page: a search from the start finds none of them before
// it, and walks through it.
template <class Ops>
LoginValues readLoginValuesWith(const DialectTable& dialect, std::string_view text) {
  LoginValues values(dialect.loginControls.size());
  const size_t firstTxt = Ops::findText(text, 0, "TXT");
  for (size_t i = 0; i < values.size(); ++i) {
    std::string_view name = dialect.loginControls[i];
    if (name.substr(0, 3) != "TXT") {
      values[i] = extractFieldValueWith<Ops>(text, name);
    } else if (firstTxt != kNotFound) {
      values[i] = extractFieldValueWith<Ops>(text, name, firstTxt);
    }
  }
  return values;
}

// The UTF-8 address as the reading keeps it: at most 1,023 bytes in the
// page's encoding, cut on a character boundary. Addresses are nearly always
// ASCII, which is the same in both.
inline std::string readingUrl(std::string_view utf8) {
  utf8 = untilZero(utf8);
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return std::string(utf8.substr(0, kUrlLimit));
  const std::string shiftJis = utf8ToShiftJis(utf8);
  return shiftJisToUtf8(cutOnCharacterBoundary(untilZero(shiftJis), kUrlLimit));
}

template <class Ops>
PageReading readPageWith(const PageTriggers& triggers, std::string_view pageText, std::string_view pageUrl) {
  std::string_view text = pageView(pageText);
  PageReading page;

  // Without a title the page is not read at all.
  size_t open = Ops::findText(text, 0, kTitleOpen);
  if (open == kNotFound) return page;
  const size_t titleStart = open + kTitleOpen.size();
  size_t close = Ops::findText(text, titleStart, kTitleClose);
  if (close == kNotFound) return page;
  page.titled = true;
  page.caption = shiftJisToUtf8(cutOnCharacterBoundary(text.substr(titleStart, close - titleStart), kTitleLimit));
  page.url = readingUrl(pageUrl);

  const GameDialect found = findGameDialectWith<Ops>(text, triggers.serverKind);
  const DialectTable* dialect = found.dialect;
  const DialectTable& rules = dialect ? *dialect : fallbackDialect(triggers.serverKind);
  page.preDay = contains<Ops>(text, kPreDayMarker);
  if (page.preDay) {
    page.capacity = lobbyCount<Ops>(text, rules.capacity);
    page.living = lobbyCount<Ops>(text, rules.living);
  }

  page.gamePage = dialect != nullptr;
  if (!page.gamePage) {
    page.registrationOpen = isRegistrationPageWith<Ops>(triggers, text);
    return page;
  }

  page.dialect = dialect->id;
  page.loginValues = readLoginValuesWith<Ops>(*dialect, text);
  for (size_t i = 0; i < dialect->loginControls.size(); ++i)
    if (dialect->loginControls[i] == "VILLAGENO") page.village = page.loginValues[i];
  page.event = pageEventWith<Ops>(triggers, *dialect, text);
  page.postBody = postBodyFrom(*dialect, page.loginValues, withActionFieldsWith<Ops>(text, found));
  page.night = isNightPageWith<Ops>(triggers, text);
  page.day = dayNumber(text);
  return page;
}

}  // namespace jinro::analysis
