// Two or three pages in a row, read with random settings: the fast reading
// against the same algorithm over the reference primitives (every field of
// the two readings equal, each within its limits), then each reading applied
// by the page monitor, with its alarms, refresh and log launcher on fakes,
// which must hold what the reading said.
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
#include <tuple>
#include <vector>

#include "base/code_page.h"
#include "support/monitor_rig.h"
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
                  p.loginValues, p.postBody, p.event, p.night);
}

void checkReading(const PageReading& p) {
  if (p.caption.size() > jinro::kTitleLimit) fail("caption longer than 255 bytes");
  if (p.url.size() > jinro::kUrlLimit) fail("URL longer than 1,023 bytes");
  if (p.postBody.size() > jinro::kPostBodyLimit) fail("post body longer than 1,023 bytes");
  for (const std::string& v : p.loginValues)
    if (v.size() > jinro::kLoginValueLimit) fail("login value longer than 255 bytes");
  if (!p.titled && fields(p) != fields(PageReading{})) fail("an untitled page said something");
  if (!p.gamePage && (!p.postBody.empty() || p.event || p.night || p.loginValues != jinro::LoginValues{}))
    fail("a page that is not a game page gave game page fields");
}

using Monitor = jinro::fake::MonitorRig;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string logDir = [] {
    static char dir[] = "/tmp/jinro-fuzz-logs-XXXXXX";
    if (!mkdtemp(dir)) std::abort();
    std::atexit([] {
      unlink((std::string(dir) + "/" + jinro::kLogFileName).c_str());
      rmdir(dir);
    });
    return std::string(dir) + "/";
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
  for (int k = 0; k < jinro::kAlarmKindCount; ++k) {
    const bool on = (flags[0] >> (k % 8) & 1) && !(flags[1] & 0x80);
    settings.alarms[k].repeat = settings.alarms[k].armed = on;
  }

  Monitor m(settings, logDir);
  m.alarms.setSoundOn(flags[2] & 1);
  if (flags[2] >> 2 & 1) m.refresh.toggle();
  const bool reverseRows = flags[2] >> 3 & 1;
  // An alarm already sounding when the first page completes.
  if ((flags[3] >> 2) % 12 != 11) m.alarms.playAlarm(AlarmKind((flags[3] >> 2) % 12));
  m.desktop.sound.acceptUnknownFiles = flags[4] & 1;
  const std::string url = "http://127.0.0.1:8399/jinro/cgi_jinro.cgi?" + std::to_string(flags[5]);

  for (size_t i = 1; i < parts.size(); ++i) {
    // The page as the client holds it: through the browser's UTF-16 and back.
    const std::u16string html = jinro::shiftJisToUtf16(parts[i]);
    const std::string text(jinro::analysis::pageView(jinro::utf16ToShiftJis(html)));
    const PageReading fast = jinro::readPage(settings, text, url);
    const PageReading ref = jinro::analysis::readPageWith<jinro::reference::ReferenceTextOps>(settings, text, url);
    if (fields(fast) != fields(ref)) fail("the reading differs from the one over the reference primitives");
    checkReading(fast);

    m.logs.pageCompleted(text);
    m.refresh.pageCompleted();
    const jinro::PageView view = m.monitor.analysePage(fast, reverseRows);
    if (fast.titled) {
      if (m.refresh.currentUrl() != fast.url) fail("the refresh goes elsewhere than the page");
      if (m.refresh.postBody() != fast.postBody) fail("the refresh posts other than the page's form");
      if (m.desktop.shell.caption != jinro::shiftJisToUtf8(fast.caption)) fail("the caption is not the page's title");
    }
    if (view.speechCopy && (!fast.gamePage || fast.night || fast.preDay || m.monitor.gameOver()))
      fail("speech copy offered off a daytime game page");
    // The player closes a notice now and then, clicks, and sounds finish.
    if (flags[6] >> i & 1) m.desktop.shell.closeNotice();
    if (flags[7] >> i & 1) m.monitor.reset();
    if (flags[6] >> (i + 4) & 1) m.alarms.stopCapacityAlarm();
    m.desktop.sound.fireEnd(m.desktop.sound.nextId - 1);
  }
  return 0;
}
