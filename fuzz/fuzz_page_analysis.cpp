// analysePage over two or three pages in a row, with random settings and
// state, against the same algorithm over the reference primitives: both
// controllers end in the same state and ask the desktop for the same things.
// The state stays within its limits whatever the pages hold.
//
// Input: a settings part, then the pages, parted by kPageSeparator. The
// settings part is 8 bytes of flags, then '\n'-separated trigger texts for
// the fields of kTriggerFields (an empty line keeps the default).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "logs/log_launch.h"
#include "logs/row_reversal.h"
#include "monitor/page_analysis.h"
#include "monitor/page_analysis_impl.h"
#include "platform/code_page.h"
#include "platform/fake/fakes.h"
#include "reference/text_scan_reference.h"
#include "settings/settings.h"

namespace {

using jinro::AlarmKind;
using jinro::ClientController;

constexpr std::string_view kPageSeparator = "\xFF\xFE\xFD";
constexpr size_t kMaxPages = 3;

void fail(const char* what) {
  std::fprintf(stderr, "page analysis: %s\n", what);
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
      case jinro::AlarmField::loop: a.loop = k.defaultValue; break;
      case jinro::AlarmField::soundPath: a.soundPath = k.defaultText; break;
      case jinro::AlarmField::trigger: a.trigger = k.defaultText; break;
      case jinro::AlarmField::leftTrigger: a.leftTrigger = k.defaultText; break;
      case jinro::AlarmField::middleTrigger: a.middleTrigger = k.defaultText; break;
      case jinro::AlarmField::rightTrigger: a.rightTrigger = k.defaultText; break;
    }
  }
  return s;
}

struct Side {
  jinro::fake::FakePlatform fakes;
  ClientController c{fakes.ports()};
};

// What the browser events do around the analysis when a page completes.
// The page's HTML as the browser hands it over and its text come in
// converted once for both sides (the conversion is the slow part).
template <class Ops>
void completePage(Side& side, const std::u16string& html, const std::string& pageText, const std::string& url) {
  ClientController& c = side.c;
  c.previousPageHtml = std::move(c.pageHtml);
  c.pageHtml = html;
  c.pageText = pageText;
  c.restoreScroll = 0;
  c.pageUrl = url;
  c.speechCopyAvailable = 0;
  const std::string text = c.pageText;
  jinro::analysis::analysePageWith<Ops>(c, text, url);
  if (c.reverseRows == 1) jinro::reverseRowsAndFixLinks(c.pageText, c.gameOver == 1);
}

void checkLimits(const ClientController& c) {
  for (const std::string& v : c.loginValues)
    if (v.size() > jinro::kLoginValueLimit) fail("login value longer than 255 bytes");
  if (c.postBody.size() > jinro::kTextField - 1 || c.postBodyLength != c.postBody.size()) fail("post body");
  if (c.currentUrl.size() > jinro::kTextField - 1) fail("current URL");
  if (c.lastPhase != jinro::kPhaseDay && c.lastPhase != jinro::kPhaseNight && c.lastPhase != jinro::kNone)
    fail("phase");
  if (c.pageText.size() > jinro::kPageTextLimit) fail("page text");
}

void compare(const Side& a, const Side& b) {
  const ClientController& x = a.c;
  const ClientController& y = b.c;
  if (x.loginValues != y.loginValues) fail("login values differ");
  if (x.postBody != y.postBody || x.currentUrl != y.currentUrl) fail("post body or URL differ");
  if (x.lastPhase != y.lastPhase || x.currentAlarm != y.currentAlarm || x.gameOver != y.gameOver ||
      x.awaitingFirstGamePage != y.awaitingFirstGamePage || x.capacityNoticePending != y.capacityNoticePending ||
      x.restoreScroll != y.restoreScroll || x.speechCopyAvailable != y.speechCopyAvailable)
    fail("state flags differ");
  if (x.pageText != y.pageText) fail("page texts differ");
  if (a.fakes.shell.caption != b.fakes.shell.caption) fail("captions differ");
  if (a.fakes.shell.messageBoxes != b.fakes.shell.messageBoxes) fail("message boxes differ");
  if (a.fakes.sound.calls.size() != b.fakes.sound.calls.size()) fail("sound calls differ");
  for (size_t i = 0; i < a.fakes.sound.calls.size(); ++i) {
    const auto& p = a.fakes.sound.calls[i];
    const auto& q = b.fakes.sound.calls[i];
    if (p.op != q.op || p.id != q.id || p.detail != q.detail) fail("sound calls differ");
  }
  if (a.fakes.launcher.launches != b.fakes.launcher.launches) fail("viewer launches differ");
  if (a.fakes.messages.messages.size() != b.fakes.messages.messages.size()) fail("messages differ");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string logDir = [] {
    static char dir[] = "/tmp/jinro-fuzz-logs-XXXXXX";
    if (!mkdtemp(dir)) std::abort();
    jinro::setLogDirectory(dir);
    std::atexit([] {
      unlink((std::string(dir) + "/" + jinro::kLogFileName).c_str());
      rmdir(dir);
    });
    return std::string(dir);
  }();
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
    if (!line.empty()) settings.alarm(f.kind).*f.field = std::string(line.substr(0, jinro::kTriggerFieldSize - 1));
    head.remove_prefix(nl == std::string_view::npos ? head.size() : nl + 1);
  }
  for (int k = 0; k < jinro::kAlarmKindCount; ++k)
    settings.alarms[k].loop = (flags[0] >> (k % 8) & 1) ? ((flags[1] & 0x80) ? 2 : 1) : 0;

  Side fast;
  Side ref;
  for (Side* s : {&fast, &ref}) {
    ClientController& c = s->c;
    c.settings = settings;
    c.soundOn = flags[2] & 3;  // 2 and 3 are not "on"
    c.autoRefreshOn = flags[2] >> 2 & 1;
    c.reverseRows = flags[2] >> 3 & 1;
    c.gameOver = flags[2] >> 4 & 1;
    c.awaitingFirstGamePage = flags[2] >> 5 & 1;
    c.capacityNoticePending = flags[2] >> 6 & 1;
    static const int32_t phases[] = {jinro::kPhaseDay, jinro::kPhaseNight, jinro::kNone, jinro::kNone};
    c.lastPhase = phases[flags[3] & 3];
    c.currentAlarm = (flags[3] >> 2) % 12 == 11 ? jinro::kNone : jinro::alarmId(AlarmKind((flags[3] >> 2) % 12));
    s->fakes.sound.acceptUnknownFiles = flags[4] & 1;
    s->fakes.launcher.fail = flags[4] >> 1 & 1;
  }
  const std::string url = "http://127.0.0.1:8399/jinro/cgi_jinro.cgi?" + std::to_string(flags[5]);
  for (size_t i = 1; i < parts.size(); ++i) {
    const std::string page(parts[i]);
    const std::u16string html = jinro::shiftJisToUtf16(page);
    const std::string pageText(jinro::analysis::pageView(jinro::utf16ToShiftJis(html)));
    completePage<jinro::FastTextOps>(fast, html, pageText, url);
    completePage<jinro::reference::ReferenceTextOps>(ref, html, pageText, url);
    checkLimits(fast.c);
    compare(fast, ref);
    if (jinro::isNightPage(fast.c, page) !=
        jinro::analysis::isNightPageWith<jinro::reference::ReferenceTextOps>(fast.c, jinro::analysis::pageView(page)))
      fail("isNightPage differs from the reference primitives");
  }
  return 0;
}
