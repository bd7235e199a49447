// Two or three pages in a row, read with random settings: the fast reading
// against the same algorithm over the reference primitives (every field of
// the two readings equal, each within its limits), then each reading
// followed by the page monitor, whose reaction must hold what the reading
// said.
//
// Input: a settings part, then the pages, parted by kPageSeparator. The
// settings part is 8 bytes of flags, then '\n'-separated trigger texts for
// the fields of kTriggerFields (an empty line keeps the default).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "base/code_page.h"
#include "client/page_monitor.h"
#include "page/page_limits.h"
#include "page/page_reading.h"
#include "page/page_reading_impl.h"
#include "reference/text_scan_reference.h"
#include "settings/settings.h"

namespace {

using jinro::AlarmKind;
using jinro::PageReading;

constexpr std::string_view kPageSeparator = "\xFF\xFE\xFD";
constexpr size_t kMaxPages = 3;

void fail(const char* what) {
  std::fprintf(stderr, "page reading: %s\n", what);
  std::abort();
}

struct TriggerField {
  AlarmKind kind;
  std::string jinro::AlarmSetting::*field;
};
const TriggerField kTriggerFields[] = {
    {AlarmKind::night, &jinro::AlarmSetting::leftTrigger},
    {AlarmKind::night, &jinro::AlarmSetting::middleTrigger},
    {AlarmKind::night, &jinro::AlarmSetting::rightTrigger},
    {AlarmKind::tohyo, &jinro::AlarmSetting::trigger},
    {AlarmKind::kodo, &jinro::AlarmSetting::trigger},
    {AlarmKind::sonmin, &jinro::AlarmSetting::trigger},
    {AlarmKind::jinro, &jinro::AlarmSetting::trigger},
    {AlarmKind::yoko, &jinro::AlarmSetting::trigger},
    {AlarmKind::hikiwake, &jinro::AlarmSetting::trigger},
    {AlarmKind::nekomata, &jinro::AlarmSetting::trigger},
    {AlarmKind::sonmintoroku, &jinro::AlarmSetting::trigger},
};

jinro::Settings defaultSettings() {
  jinro::Settings s;
  for (const jinro::SoundKey& k : jinro::soundKeys()) {
    jinro::AlarmSetting& a = s.alarm(k.kind);
    switch (k.field) {
      case jinro::AlarmField::loop: (k.kind == jinro::AlarmKind::full_alarm ? a.armed : a.repeat) = k.defaultValue == 1; break;
      case jinro::AlarmField::soundPath: a.soundPath = k.defaultText; break;
      case jinro::AlarmField::trigger: a.trigger = k.defaultText; break;
      case jinro::AlarmField::leftTrigger: a.leftTrigger = k.defaultText; break;
      case jinro::AlarmField::middleTrigger: a.middleTrigger = k.defaultText; break;
      case jinro::AlarmField::rightTrigger: a.rightTrigger = k.defaultText; break;
    }
  }
  return s;
}

auto fields(const PageReading& p) {
  return std::tie(p.titled, p.caption, p.url, p.preDay, p.capacity, p.living, p.gamePage, p.registrationOpen,
                  p.loginValues, p.postBody, p.event, p.night, p.day);
}

void checkReading(const PageReading& p) {
  // The caption and the address are UTF-8, measured in the page's encoding.
  if (jinro::utf8ToShiftJis(p.caption).size() > jinro::kTitleLimit) fail("caption longer than 255 bytes");
  if (jinro::utf8ToShiftJis(p.url).size() > jinro::kUrlLimit) fail("URL longer than 1,023 bytes");
  if (p.postBody.size() > jinro::kPostBodyLimit) fail("post body longer than 1,023 bytes");
  for (const std::string& v : p.loginValues)
    if (v.size() > jinro::kLoginValueLimit) fail("login value longer than 255 bytes");
  if (!p.titled && fields(p) != fields(PageReading{})) fail("an untitled page said something");
  if (!p.gamePage && (!p.postBody.empty() || p.event || p.night || p.day != 0 || p.loginValues != jinro::LoginValues{}))
    fail("a page that is not a game page gave game page fields");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const jinro::Settings defaults = defaultSettings();

  const std::string_view in(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> parts;
  for (size_t pos = 0;;) {
    const size_t sep = in.find(kPageSeparator, pos);
    parts.push_back(in.substr(pos, sep == std::string_view::npos ? std::string_view::npos : sep - pos));
    if (sep == std::string_view::npos || parts.size() > kMaxPages) break;
    pos = sep + kPageSeparator.size();
  }
  if (parts.size() < 2) return 0;
  std::string_view head = parts[0];
  uint8_t flags[8] = {};
  for (size_t i = 0; i < 8 && i < head.size(); ++i) flags[i] = static_cast<uint8_t>(head[i]);
  head.remove_prefix(std::min<size_t>(8, head.size()));

  jinro::Settings settings = defaults;
  for (const TriggerField& f : kTriggerFields) {
    if (head.empty()) break;
    const size_t nl = head.find('\n');
    const std::string_view line = head.substr(0, nl);
    // As jinro.ini's codec gives them: the field's Shift_JIS bytes, cut, in UTF-8.
    if (!line.empty())
      settings.alarm(f.kind).*f.field =
          jinro::shiftJisToUtf8(jinro::cutOnCharacterBoundary(line, jinro::kTriggerFieldSize - 1));
    head.remove_prefix(nl == std::string_view::npos ? head.size() : nl + 1);
  }
  for (int k = 0; k < jinro::kAlarmKindCount; ++k) {
    const bool on = (flags[0] >> (k % 8) & 1) && !(flags[1] & 0x80);
    settings.alarms[k].repeat = settings.alarms[k].armed = on;
  }

  jinro::PageMonitor monitor(settings);
  const jinro::PageTriggers triggers = jinro::pageTriggersFrom(settings);
  const std::string url = "http://127.0.0.1:8399/jinro/cgi_jinro.cgi?" + std::to_string(flags[5]);

  for (size_t i = 1; i < parts.size(); ++i) {
    // The page as the client holds it: through the browser's UTF-16 and back.
    const std::u16string html = jinro::shiftJisToUtf16(parts[i]);
    const std::string text(jinro::analysis::pageView(jinro::utf16ToShiftJis(html)));
    const PageReading fast = jinro::readPage(triggers, text, url);
    const PageReading ref = jinro::analysis::readPageWith<jinro::reference::ReferenceTextOps>(triggers, text, url);
    if (fields(fast) != fields(ref)) fail("the reading differs from the one over the reference primitives");
    checkReading(fast);

    const jinro::PageReaction reaction = monitor.follow(fast);
    if (fast.titled) {
      if (reaction.caption != fast.caption) fail("the caption is not the page's title");
      if (fast.gamePage && (!reaction.gameForm || reaction.gameForm->url != fast.url ||
                            reaction.gameForm->postBody != fast.postBody))
        fail("the refresh posts other than the game page's form");
      if (!fast.gamePage && (!reaction.otherPage || reaction.otherPage->url != fast.url || reaction.gameForm))
        fail("the refresh goes elsewhere than the page");
    } else if (reaction.caption || reaction.gameForm || reaction.otherPage || !reaction.alarms.empty()) {
      fail("an untitled page made the client act");
    }
    if (reaction.speechCopy && (!fast.gamePage || fast.night || fast.preDay || reaction.gameOver))
      fail("speech copy offered off a daytime game page");
    if (reaction.launchDayLog && !fast.gamePage) fail("a day's log launched off a game page");
    if (reaction.gameOver != monitor.gameOver()) fail("the reaction misstates the game's end");
    // The player goes back to the start page now and then.
    if (flags[7] >> i & 1) monitor.reset();
  }
  return 0;
}
