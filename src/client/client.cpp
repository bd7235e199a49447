#include "client/client.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/code_page.h"
#include "base/server_url.h"
#include "base/trace.h"
#include "page/page_limits.h"
#include "page/page_reading.h"

namespace jinro {

namespace {

// The HTML as the client keeps it: at most kPageTextLimit UTF-16 units,
// never ending on the first half of a surrogate pair.
std::u16string_view cutHtml(std::u16string_view html) {
  if (html.size() <= kPageTextLimit) return html;
  size_t n = kPageTextLimit;
  const char16_t last = html[n - 1];
  if (last >= 0xD800 && last <= 0xDBFF) --n;
  return html.substr(0, n);
}

// The page's Shift_JIS text into text: converted, then cut to 511,999 bytes
// without splitting a double-byte character. Every UTF-16 unit gives at least
// one byte except the halves of a surrogate pair, which give one '?'
// together, so twice the limit in units is always enough input.
void toPageText(std::u16string_view html, std::string& text) {
  const size_t enough = 2 * kPageTextArea;
  utf16ToShiftJis(html.substr(0, std::min(html.size(), enough)), text);
  // The text ends at its first zero.
  if (const size_t zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
  text.resize(cutOnCharacterBoundary(text, kPageTextLimit).size());
}

}  // namespace

Client::Client(const Desktop& desktop, ProgramPaths paths)
    : desktop_(desktop),
      paths_(std::move(paths)),
      loader_(desktop.browser),
      alarms_(desktop.sound, settings_, paths_.settingsFolder, paths_.soundFolder),
      refresh_(desktop.timer, loader_, settings_),
      logs_(desktop.launcher, paths_.cacheFolder, paths_.viewerPath),
      speech_(loader_, desktop.clipboard),
      monitor_(desktop.shell, alarms_, refresh_, logs_, settings_),
      saves_(desktop.shell) {
  ClientShell& shell = desktop_.shell;
  alarms_.onProblemsChanged([&shell](const std::string& status) { shell.showStatusText(status); });
  alarms_.onAlarmStarted([this](AlarmKind kind) { alarmStarted(kind); });
  refresh_.onSwitched([&shell](bool on) {
    shell.setCommandChecked(Command::autoRefresh, on);
  });
  speech_.onCopyAvailable([&shell](bool available) { shell.setCommandEnabled(Command::copySpeeches, available); });
  refresh_.onCountdown([&shell](uint64_t interval) { shell.showRefreshCountdown(interval); });
  refresh_.onWaiting([&shell](bool waiting) { shell.showRefreshWaiting(waiting); });
  refresh_.onPaused([&shell](bool paused) { shell.showRefreshPaused(paused); });
  // A refresh first reads what the player has begun in the speech form: the
  // new page gets it back.
  refresh_.beforePost([this, alive = std::weak_ptr<bool>(alive_)](std::function<void()> post) {
    if (closed_) return;
    desktop_.browser.readSpeechDraft([this, alive, post](std::optional<SpeechDraft> draft) {
      if (alive.expired() || closed_) return;
      drafts_.refreshLeaving(draft);
      ownNavigation_ = true;
      post();
    });
  });
  desktop_.sound.setEndHandler([this](SoundId sound, PlayEnd end) { soundEnded(sound, end); });
}

void Client::start() {
  ClientShell& shell = desktop_.shell;
  shell.setCommandEnabled(Command::copySpeeches, false);
  shell.setCommandChecked(Command::soundOn, true);
  loadSoundSettings(settings_);
  loadGeneralSettings(settings_);
  ownNavigation_ = true;
  loader_.get(settings_.startUrl);
  alarms_.preloadAlarmSounds();
}

void Client::restorePlacement() { desktop_.shell.applyWindowGeometry(loadWindowGeometry()); }

void Client::alarmStarted(AlarmKind kind) {
  if (readingPage_) {
    alarmOfPage_ = kind;
  } else {
    tellAlarmInBackground(kind);
  }
}

// A player at the window hears the alarm; one in another window may not
// notice it (the sound low, the ears elsewhere): the desktop tells it too.
void Client::tellAlarmInBackground(AlarmKind kind) {
  ClientShell& shell = desktop_.shell;
  if (shell.isWindowActive()) return;
  if (settings_.notifyDesktop && notifier_ != nullptr) notifier_->notify({kProgramName, std::string(alarmLabel(kind))});
  if (settings_.notifyUrgency) shell.requestAttention();
}

void Client::checkSettingsWritable() { saves_.checkWritable(settingsFilePath()); }

void Client::setSoundOn(bool on) {
  desktop_.shell.setCommandChecked(Command::soundOn, on);
  desktop_.shell.setCommandChecked(Command::soundOff, !on);
  alarms_.stopAllAlarms();
  alarms_.setSoundOn(on);
  alarms_.forgetCurrent();
  // Switched on, the page is read again so that its alarm sounds now.
  if (on) refresh_.refresh();
}

void Client::refresh() { refresh_.refresh(); }

void Client::toggleAutoRefresh() { refresh_.toggle(); }

// Back to the start page, followed as a new window follows it. The sound
// switch, automatic refresh, reverse-row mode, what a refresh posts and the
// settings stay as they are.
void Client::returnToTop() {
  alarms_.stopAllAlarms();
  alarms_.forgetCurrent();
  monitor_.reset();
  speech_.resetScroll();
  refresh_.forgetCountdown();
  refresh_.forgetGamePage();
  drafts_.drop();
  ownNavigation_ = true;
  // Posted with the form data of the last game page, as every return to the
  // top always was.
  loader_.post(settings_.startUrl, refresh_.postBody());
}

void Client::toggleReverseRows() {
  speech_.toggleReverseRows();
  desktop_.shell.setCommandChecked(Command::reverseRows, speech_.reverseRows());
  refresh_.refresh();
}

void Client::copySpeeches() { speech_.copySpeeches(settings_.serverKind); }

void Client::minimizeAll() {
  desktop_.sweeper.sweep(SweepKind::minimize, kViewerWindowClass);
  desktop_.shell.minimize();
}

void Client::moveAllTopLeft() {
  desktop_.sweeper.sweep(SweepKind::moveTopLeft, kViewerWindowClass);
  desktop_.shell.moveToTopLeft();
}

void Client::closeAllLogWindows() { desktop_.sweeper.sweep(SweepKind::close, kViewerWindowClass); }

void Client::close() {
  closed_ = true;
  loader_.browserGone();
  monitor_.reset();
  refresh_.stopCountdown();
  alarms_.stopAllAlarms();
  saves_.note(saveWindowGeometry(desktop_.shell.windowGeometry()));
  closeAllLogWindows();
}

bool Client::refuseNavigation(std::u16string_view url) {
  const bool own = std::exchange(ownNavigation_, false);
  if (closed_) return false;
  // The player left the page himself: what he wrote went with its form.
  if (!own) drafts_.drop();
  // The framed site, the site's index page and "./" are refused; the player
  // lands on the start page instead.
  const std::array<std::u16string, 3> refused = {
      shiftJisToUtf16(settings_.frameUrl),
      shiftJisToUtf16(std::string(serverBaseUrl()) + "index.html"),
      u"./",
  };
  const bool refuse = std::find(refused.begin(), refused.end(), url) != refused.end();
  if (refuse) {
    loader_.stop();
    returnToTop();
  }
  // Reaching the start page switches automatic refresh off.
  if (url == shiftJisToUtf16(settings_.startUrl)) refresh_.switchOff();
  speech_.leavingPage();
  return refuse;
}

void Client::documentComplete(std::u16string_view url, std::u16string_view html) {
  if (closed_) return;
  if (speech_.ownPageCompleted()) {
    restoreDraft();
    return;
  }
  refresh_.pageCompleted();

  toPageText(cutHtml(html), pageText_);
  traceMark("converted");
  logs_.pageCompleted(pageText_);
  const std::string pageUrl = utf16ToShiftJis(url);
  const PageReading reading = readPage(settings_, pageText_, pageUrl);
  traceMark("analysed");
  desktop_.shell.showPageLoad(true);
  desktop_.shell.showGameStatus(gameStatusText(reading, reading.gamePage ? dayNumber(pageText_) : 0));
  readingPage_ = true;
  const PageView view = monitor_.analysePage(reading, speech_.reverseRows());
  readingPage_ = false;
  if (const std::optional<AlarmKind> started = std::exchange(alarmOfPage_, std::nullopt)) tellAlarmInBackground(*started);
  speech_.show(pageText_, pageUrl, view.keepScroll, view.speechCopy, monitor_.gameOver(), settings_.serverKind);
  // A page rewritten newest-first gets the draft once it is shown.
  if (!speech_.ownPagePending()) restoreDraft();
}

void Client::restoreDraft() {
  const std::optional<SpeechDraft> draft = drafts_.toRestore();
  if (!draft || closed_) return;
  desktop_.browser.restoreSpeechDraft(*draft, [this, alive = std::weak_ptr<bool>(alive_)](bool tookIt) {
    if (alive.expired()) return;
    drafts_.restored(tookIt);
    if (tookIt) traceMark("draft-restored");
  });
}

GeneralOkResult Client::confirmGeneralSettings(const GeneralDialogTexts& texts) {
  // The number is checked on the text exactly as it will be written, so a
  // long run of leading zeros cannot pass the check and then lose its digits
  // to the cut.
  if (!parseRefreshInterval(dialogBoxText(texts.interval))) return GeneralOkResult::badInterval;
  const Result<void> written = saveGeneralSection(texts);
  loadGeneralSettings(settings_);
  if (!written) return GeneralOkResult::writeFailed;
  refresh_.restartCountdown();
  return GeneralOkResult::saved;
}

bool Client::confirmSoundSheet(const SoundSheetPages& pages) {
  const Result<void> written = saveSoundSections(pages);
  loadSoundSettings(settings_);
  alarms_.preloadAlarmSounds();
  if (!written) return false;
  if (alarms_.soundOn()) {
    alarms_.stopAllAlarms();
    refresh_.refresh();
  }
  return true;
}

}  // namespace jinro
