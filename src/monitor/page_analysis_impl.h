#pragma once
// The page analysis, written once over a policy of text primitives (Ops, with
// the static members of FastTextOps), so that the very same algorithm can run
// over the fast primitives and over a plain reference implementation of them.
// page_analysis.cpp instantiates it over FastTextOps.
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/client_controller.h"
#include "app/ids.h"
#include "logs/log_launch.h"
#include "monitor/alarm_kind.h"
#include "monitor/alarm_player.h"
#include "monitor/text_scan.h"
#include "platform/code_page.h"
#include "platform/main_window.h"

namespace jinro::analysis {

// ---------------------------------------------------------------------------
// Marker texts of the game's pages (Shift_JIS bytes).

inline constexpr std::string_view kTitleOpen = "<title>";
inline constexpr std::string_view kTitleClose = "</title>";
// ">事件前日<"
inline constexpr std::string_view kPreDayMarker = ">\x8E\x96\x8C\x8F\x91O\x93\xFA<";
// "（定員："
inline constexpr std::string_view kCapacityMarker = "\x81i\x92\xE8\x88\xF5\x81\x46";
// "[生存中"
inline constexpr std::string_view kLivingMarker = "[\x90\xB6\x91\xB6\x92\x86";
// "人"
inline constexpr std::string_view kPersonMarker = "\x90l";
// "行動/更新", the label of the action button
inline constexpr std::string_view kActionButton = "\x8Ds\x93\xAE/\x8D\x58\x90V";
// "再表示", the label of the redisplay button
inline constexpr std::string_view kRedisplayButton = "\x8D\xC4\x95\x5C\x8E\xA6";
inline constexpr std::string_view kLinkAttribute = "a href";
inline constexpr std::string_view kValueAttribute = "value";

// "参加者定員到達アラームをセットしました。自動更新をONにしてください。\r\n
//  アラームが鳴り始めた後に音を止めるには、ゲーム画面のどこかをクリックしてください。"
inline constexpr std::string_view kCapacityNotice =
    "\x8E\x51\x89\xC1\x8E\xD2\x92\xE8\x88\xF5\x93\x9E\x92\x42\x83\x41\x83\x89\x81[\x83\x80\x82\xF0\x83Z"
    "\x83\x62\x83g\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42\x8E\xA9\x93\xAE\x8D\x58\x90V\x82\xF0ON\x82\xC9"
    "\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42\r\n\x83\x41\x83\x89\x81[\x83\x80\x82\xAA"
    "\x96\xC2\x82\xE8\x8En\x82\xDF\x82\xBD\x8C\xE3\x82\xC9\x89\xB9\x82\xF0\x8E~\x82\xDF\x82\xE9\x82\xC9"
    "\x82\xCD\x81\x41\x83Q\x81[\x83\x80\x89\xE6\x96\xCA\x82\xCC\x82\xC7\x82\xB1\x82\xA9\x82\xF0\x83N"
    "\x83\x8A\x83\x62\x83N\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";
// "お知らせ"
inline constexpr std::string_view kNoticeCaption = "\x82\xA8\x92m\x82\xE7\x82\xB9";

// The login form's controls, in the order the refresh body names them.
inline constexpr std::array<std::string_view, kLoginFieldCount> kLoginControls = {
    "TXTPNO", "TXTPASS", "VILLAGENO", "TXTLOGIN", "FORMID"};

inline constexpr size_t kPostBodyLimit = kTextField - 1;
inline constexpr size_t kUrlLimit = kTextField - 1;
inline constexpr size_t kNumberTextLimit = 255;

// ---------------------------------------------------------------------------
// Small helpers shared by the page engine.

// A flag counts as set only when it is exactly 1.
inline bool isSet(uint32_t flag) { return flag == 1; }

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

// The refresh body from the login values: the form fields of the action
// button first when the page has it, then the five login fields in fixed
// order, values as they stand. The body holds at most 1023 bytes; a field
// that would not fit whole is left out with every field after it.
inline std::string postBodyFrom(const std::array<std::string, kLoginFieldCount>& values, bool hasActionButton) {
  static constexpr std::array<std::string_view, kLoginFieldCount> kNames = {
      "TXTPNO=", "TXTPASS=", "VILLAGENO=", "TXTLOGIN=", "FORMID="};
  std::string body;
  body.reserve(kTextField);
  if (hasActionButton) body = "COMMAND=MSG&CMBPLAYER=&TXTMSG=&";
  for (size_t i = 0; i < kLoginFieldCount; ++i) {
    std::string_view value = cutOnCharacterBoundary(untilZero(values[i]), kLoginValueLimit);
    size_t need = (i ? 1 : 0) + kNames[i].size() + value.size();
    if (body.size() + need > kPostBodyLimit) break;
    if (i) body += '&';
    body += kNames[i];
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

// Night when the night kind's middle text starts after the end of the first
// left text and no later than the end of the first right text.
template <class Ops>
bool isNightPageWith(const ClientController& c, std::string_view text) {
  const AlarmSetting& night = c.settings.alarm(AlarmKind::night);
  std::string_view left = untilZero(night.leftTrigger);
  std::string_view middle = untilZero(night.middleTrigger);
  std::string_view right = untilZero(night.rightTrigger);
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

inline bool isVictoryKind(AlarmKind k) {
  return k == AlarmKind::jinro || k == AlarmKind::hikiwake || k == AlarmKind::sonmin || k == AlarmKind::yoko ||
         k == AlarmKind::nekomata;
}

template <class Ops>
void checkPageEventsWith(ClientController& c, std::string_view text, bool previousPhaseNotNight) {
  for (AlarmKind kind : kPageEventOrder) {
    if (!contains<Ops>(text, untilZero(c.settings.alarm(kind).trigger))) continue;
    if (isVictoryKind(kind)) {
      if (!isSet(c.awaitingFirstGamePage) && previousPhaseNotNight) launchLogViewer(c);
      c.gameOver = 1;
    }
    if (isSet(c.soundOn) && c.currentAlarm != alarmId(kind)) AlarmPlayer(c).playAlarm(kind);
    return;
  }
}

// The five login values. The three names that begin with "TXT" are searched
// from the first "TXT" of the page: a search from the start finds none of
// them before it, and walks through it.
template <class Ops>
void readLoginValues(ClientController& c, std::string_view text) {
  const size_t firstTxt = Ops::findText(text, 0, "TXT");
  for (size_t i = 0; i < kLoginFieldCount; ++i) {
    std::string_view name = kLoginControls[i];
    if (name.substr(0, 3) != "TXT") {
      c.loginValues[i] = extractFieldValueWith<Ops>(text, name);
    } else if (firstTxt != kNotFound) {
      c.loginValues[i] = extractFieldValueWith<Ops>(text, name, firstTxt);
    } else {
      c.loginValues[i].clear();
    }
  }
}

template <class Ops>
void analysePageWith(ClientController& c, std::string_view pageText, std::string_view pageUrl) {
  std::string_view text = pageView(pageText);

  // 1. Title: without one the page is not analysed at all.
  size_t open = Ops::findText(text, 0, kTitleOpen);
  if (open == kNotFound) return;
  const size_t titleStart = open + kTitleOpen.size();
  size_t close = Ops::findText(text, titleStart, kTitleClose);
  if (close == kNotFound) return;
  if (c.ports.shell) {
    c.ports.shell->setCaption(cutOnCharacterBoundary(text.substr(titleStart, close - titleStart), kTitleLimit));
  }

  // 2, 3. Login values, current URL.
  for (std::string& v : c.loginValues) v.clear();
  c.currentUrl.assign(cutOnCharacterBoundary(untilZero(pageUrl), kUrlLimit));

  // 4. The day before the game: the capacity alarm.
  const bool preDay = contains<Ops>(text, kPreDayMarker);
  std::string keptPage;
  if (preDay) {
    if (c.settings.alarm(AlarmKind::full_alarm).loop == 1) {
      if (isSet(c.capacityNoticePending)) {
        // The box is modal: timer ticks and page loads go on while it is
        // open and may analyse pages (and replace the caller's page text).
        // Cleared first, so that such a page does not show it again, and the
        // page kept, so that this analysis goes on with its own text.
        c.capacityNoticePending = 0;
        keptPage.assign(text);
        text = keptPage;
        if (c.ports.shell) c.ports.shell->showMessageBox(kCapacityNotice, kNoticeCaption, MessageIcon::information);
      }
      long capacity = numberAfterMarker<Ops>(text, kCapacityMarker, false);
      long living = numberAfterMarker<Ops>(text, kLivingMarker, true);
      if (capacity > 0 && living > 0 && capacity == living && c.currentAlarm != alarmId(AlarmKind::full_alarm)) {
        AlarmPlayer(c).playAlarm(AlarmKind::full_alarm);
        if (isSet(c.autoRefreshOn)) c.sendCommand(ID_TB_AUTO_REFRESH);
      }
    }
    c.capacityNoticePending = 0;
  } else {
    AlarmPlayer(c).stopCapacityAlarm();
  }

  // 5. Game page: one that shows either button.
  const bool hasActionButton = contains<Ops>(text, kActionButton);
  const bool gamePage = hasActionButton || contains<Ops>(text, kRedisplayButton);

  // 6. Any other titled page.
  if (!gamePage) {
    c.postBody.clear();
    c.postBodyLength = 0;
    if (!contains<Ops>(text, untilZero(c.settings.alarm(AlarmKind::sonmintoroku).trigger))) {
      AlarmPlayer(c).stopAllAlarms();
      c.lastPhase = kNone;
      c.currentAlarm = kNone;
      return;
    }
    if (!isSet(c.soundOn)) return;
    if (c.currentAlarm != alarmId(AlarmKind::sonmintoroku)) AlarmPlayer(c).playAlarm(AlarmKind::sonmintoroku);
    return;
  }

  // 7. Game page.
  readLoginValues<Ops>(c, text);
  checkPageEventsWith<Ops>(c, text, c.lastPhase != kPhaseNight);
  c.postBody = postBodyFrom(c.loginValues, hasActionButton);
  c.postBodyLength = static_cast<uint32_t>(c.postBody.size());
  c.restoreScroll = 1;
  const bool night = isNightPageWith<Ops>(c, text);
  if (isSet(c.gameOver)) return;

  if (!night) {
    if (!preDay) c.speechCopyAvailable = 1;
    if (c.lastPhase == kPhaseNight) {
      c.restoreScroll = 0;
      if (isSet(c.soundOn) && c.currentAlarm != alarmId(AlarmKind::daytime)) AlarmPlayer(c).playAlarm(AlarmKind::daytime);
    }
    c.lastPhase = kPhaseDay;
  } else {
    if (c.lastPhase == kPhaseDay) {
      c.restoreScroll = 0;
      if (isSet(c.soundOn) && c.currentAlarm != alarmId(AlarmKind::night)) AlarmPlayer(c).playAlarm(AlarmKind::night);
      if (!isSet(c.awaitingFirstGamePage)) launchLogViewer(c);
    }
    c.lastPhase = kPhaseNight;
  }
  c.awaitingFirstGamePage = 0;
}

}  // namespace jinro::analysis
