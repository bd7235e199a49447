#include "client/client.h"

#include <algorithm>
#include <array>
#include <memory>
#include <utility>

#include "base/code_page.h"  // utf16ToUtf8
#include "base/server_url.h"
#include "base/trace.h"
#include "page/page_limits.h"
#include "page/page_reading.h"
#include "page/page_text.h"
#include "page/speech_quote.h"

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


}  // namespace

Client::Client(const Desktop& desktop, ProgramPaths paths)
    : desktop_(desktop),
      paths_(std::move(paths)),
      loader_(desktop.browser),
      alarms_(desktop.sound, settings_, paths_.settingsFolder, paths_.soundFolder),
      refresh_(desktop.timer, loader_, settings_),
      logs_(desktop.launcher, paths_.cacheFolder, paths_.viewerPath),
      speech_(loader_, desktop.clipboard),
      monitor_(settings_),
      saves_(desktop.notices),
      notebook_(paths_.villagesFolder, desktop.writer, desktop.notesPane) {
  GameWindow& window = desktop_.window;
  StatusBar& status = desktop_.statusBar;
  notebook_.onProblem([this](const std::string& text) {
    notebookNote_ = text;
    showStatusLine();
  });
  alarms_.onProblemsChanged([this](const std::string& text) {
    alarmProblems_ = text;
    showStatusLine();
  });
  refresh_.onSwitched([&window](bool on) { window.setCommandChecked(Command::autoRefresh, on); });
  speech_.onCopyAvailable([&window](bool available) { window.setCommandEnabled(Command::copySpeeches, available); });
  refresh_.onCountdown([&status](uint64_t interval) { status.showRefreshCountdown(interval); });
  refresh_.onWaiting([&status](bool waiting) { status.showRefreshWaiting(waiting); });
  refresh_.onPaused([&status](bool paused) { status.showRefreshPaused(paused); });
  // A refresh first reads what the player has begun in the speech form: the
  // new page gets it back.
  // (The browser's answers reach the client only while it listens to the
  // browser's events, so they never find it gone.)
  refresh_.beforePost([this](std::function<void()> post) {
    if (closed_) return;
    crashes_.refreshing();
    // Both asked at once: the refresh waits for one round trip, not two.
    auto answers = std::make_shared<int>(2);
    auto both = [this, post, answers] {
      if (--*answers > 0 || closed_) return;
      ownNavigation_ = true;
      post();
    };
    desktop_.browser.readScrollPosition([this, both](std::optional<ScrollPosition> scroll) {
      if (scroll && !closed_) speech_.noteScroll(*scroll);
      both();
    });
    desktop_.browser.readSpeechDraft([this, both](std::optional<SpeechDraft> draft) {
      if (!closed_) drafts_.refreshLeaving(draft);
      both();
    });
  });
  desktop_.sound.setEndHandler([this](SoundId sound, PlayEnd end) { soundEnded(sound, end); });
}

void Client::start() {
  desktop_.window.setCommandEnabled(Command::copySpeeches, false);
  desktop_.window.setCommandChecked(Command::soundOn, true);
  loadSoundSettings(settings_);
  loadGeneralSettings(settings_);
  triggers_ = pageTriggersFrom(settings_);
  ownNavigation_ = true;
  loader_.get(settings_.startUrl);
  alarms_.preloadAlarmSounds();
}

void Client::restorePlacement() { desktop_.window.applyWindowGeometry(loadWindowGeometry()); }

namespace {

Notice capacityNotice() {
  return {"参加者定員到達アラームをセットしました。自動更新をONにしてください。\n"
          "アラームが鳴り始めた後に音を止めるには、ゲーム画面のどこかをクリックしてください。",
          "お知らせ", MessageIcon::information};
}

}  // namespace

void Client::apply(const PageReaction& reaction) {
  desktop_.statusBar.showPageLoad(true);
  desktop_.statusBar.showGameStatus(reaction.status);
  if (reaction.caption) desktop_.window.setCaption(*reaction.caption);

  // Of the alarms the page starts, the one left sounding is told.
  std::optional<AlarmKind> started;
  switch (reaction.capacity) {
    case CapacityStep::unchanged: break;
    case CapacityStep::stop: alarms_.stopCapacityAlarm(); break;
    case CapacityStep::sound:
      if (soundCapacityAlarm(reaction.lobbyFull)) started = AlarmKind::full_alarm;
      break;
    case CapacityStep::noticeFirst:
      desktop_.notices.showNotice(capacityNotice(), [this, visit = monitor_.visit(), full = reaction.lobbyFull] {
        if (closed_ || visit != monitor_.visit()) return;
        if (soundCapacityAlarm(full)) tellAlarmInBackground(AlarmKind::full_alarm);
      });
      break;
  }

  if (reaction.otherPage) refresh_.otherPageRead(reaction.otherPage->url);
  if (reaction.gameForm) refresh_.gamePageRead(reaction.gameForm->url, reaction.gameForm->postBody);
  if (reaction.silenceAlarms) {
    alarms_.stopAllAlarms();
    alarms_.forgetCurrent();
  }
  for (const AlarmKind kind : reaction.alarms) {
    if (!alarms_.soundOn() || alarms_.isCurrent(kind)) continue;
    alarms_.playAlarm(kind);
    started = kind;
  }
  if (reaction.launchDayLog) {
    if (std::optional<LogLauncher::ShownLog> shown = logs_.launch(speech_.reverseRows(), settings_.serverKind))
      notebook_.keepDayLog(shown->day, std::move(shown->bytes));
  }
  if (started) tellAlarmInBackground(*started);
}

// The capacity alarm sounds whatever the sound switch says. Automatic
// refresh then stops, so that the lobby page stays as it is.
bool Client::soundCapacityAlarm(bool lobbyFull) {
  if (!lobbyFull || alarms_.isCurrent(AlarmKind::full_alarm)) return false;
  alarms_.playAlarm(AlarmKind::full_alarm);
  refresh_.switchOff();
  return true;
}

// A player at the window hears the alarm; one in another window may not
// notice it (the sound low, the ears elsewhere): the desktop tells it too.
void Client::tellAlarmInBackground(AlarmKind kind) {
  GameWindow& window = desktop_.window;
  if (window.isWindowActive()) return;
  if (settings_.notifyDesktop && notifier_ != nullptr) notifier_->notify({kProgramName, std::string(alarmLabel(kind))});
  if (settings_.notifyUrgency) window.requestAttention();
}

void Client::checkSettingsWritable() { saves_.checkWritable(settingsFilePath()); }

void Client::setSoundOn(bool on) {
  desktop_.window.setCommandChecked(Command::soundOn, on);
  desktop_.window.setCommandChecked(Command::soundOff, !on);
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
  crashes_.refreshing();
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
  desktop_.window.setCommandChecked(Command::reverseRows, speech_.reverseRows());
  refresh_.refresh();
}

void Client::copySpeeches() { speech_.copySpeeches(settings_.serverKind); }

void Client::minimizeAll() {
  desktop_.sweeper.sweep(SweepKind::minimize, kViewerWindowClass);
  desktop_.window.minimize();
}

void Client::moveAllTopLeft() {
  desktop_.sweeper.sweep(SweepKind::moveTopLeft, kViewerWindowClass);
  desktop_.window.moveToTopLeft();
}

void Client::closeAllLogWindows() { desktop_.sweeper.sweep(SweepKind::close, kViewerWindowClass); }

void Client::close() {
  closed_ = true;
  loader_.browserGone();
  monitor_.reset();
  refresh_.stopCountdown();
  alarms_.stopAllAlarms();
  saves_.note(saveWindowGeometry(desktop_.window.windowGeometry()));
  closeAllLogWindows();
}

bool Client::refuseNavigation(std::u16string_view url) {
  const bool own = std::exchange(ownNavigation_, false);
  if (closed_) return false;
  // The player left the page himself: what he wrote went with its form.
  if (!own) drafts_.drop();
  // The framed site, the site's index page and "./" are refused; the player
  // lands on the start page instead.
  const std::string address = utf16ToUtf8(url);
  const std::array<std::string, 3> refused = {
      settings_.frameUrl,
      std::string(serverBaseUrl()) + "index.html",
      "./",
  };
  const bool refuse = std::find(refused.begin(), refused.end(), address) != refused.end();
  if (refuse) {
    loader_.stop();
    returnToTop();
  }
  // Reaching the start page switches automatic refresh off.
  if (address == settings_.startUrl) refresh_.switchOff();
  speech_.leavingPage();
  return refuse;
}

void Client::documentComplete(std::u16string_view url, std::u16string_view html) {
  if (closed_) return;
  if (speech_.ownPageCompleted()) {
    traceMark("own-page-shown");
    restoreDraft();
    return;
  }
  refresh_.pageCompleted();
  // The note of a crash stays on the page loaded again, and goes with the next.
  if (!std::exchange(keepPageNote_, false) && !pageNote_.empty()) {
    pageNote_.clear();
    showStatusLine();
  }

  pageTextFromHtml(cutHtml(html), pageText_);
  traceMark("converted");
  logs_.pageCompleted(pageText_);
  const std::string pageUrl = utf16ToUtf8(url);
  const PageReading reading = readPage(triggers_, pageText_, pageUrl);
  traceMark("analysed");
  if (reading.gamePage) {
    notebook_.pageOfVillage(reading.url, reading.village);
    alarms_.gamePageRead();
  }
  const PageReaction reaction = monitor_.follow(reading);
  apply(reaction);
  speech_.show(pageText_, pageUrl, reaction.keepScroll, reaction.speechCopy, reaction.gameOver, settings_.serverKind);
  // A page rewritten newest-first gets the draft once it is shown.
  if (!speech_.ownPagePending()) restoreDraft();
}

void Client::pageCrashed() {
  if (closed_) return;
  traceMark("page-crashed");
  if (crashes_.crashed()) {
    pageNote_ = "表示が停止したため再読み込みしました";
    keepPageNote_ = true;
    // The last game page's refresh post, or the last address; the start
    // page when nothing was shown yet.
    if (refresh_.currentUrl().empty()) {
      ownNavigation_ = true;
      loader_.get(settings_.startUrl);
    } else {
      refresh_.refresh();
    }
  } else {
    pageNote_ = "表示の停止が続くため再読み込みを止めました。更新すると再び読み込みます";
    keepPageNote_ = false;
  }
  showStatusLine();
}

// One line at the window's foot: what happened to the page, what the
// notebook could not keep, then the alarms that cannot sound.
void Client::showStatusLine() {
  std::string line;
  for (const std::string* part : {&pageNote_, &notebookNote_, &alarmProblems_}) {
    if (part->empty()) continue;
    if (!line.empty()) line += " / ";
    line += *part;
  }
  desktop_.statusBar.showStatusText(line);
}

void Client::speechRowClicked(std::u16string_view rowHtml) {
  if (closed_) return;
  const std::optional<std::string> line = speechQuoteLine(pageText_, pageTextFromUtf16(rowHtml), settings_.serverKind);
  traceMark("speech-row", line ? "quoted" : "not-a-speech");
  if (line) notebook_.quote(pageTextToUtf8(*line));
}

void Client::openArchivedDay(const ArchivedDay& day) {
  logs_.show(day.path, std::to_string(day.day) + "日目の記録");
}

void Client::restoreDraft() {
  const std::optional<SpeechDraft> draft = drafts_.toRestore();
  if (!draft || closed_) return;
  desktop_.browser.restoreSpeechDraft(*draft, [this](bool tookIt) {
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
  triggers_ = pageTriggersFrom(settings_);
  if (!written) return GeneralOkResult::writeFailed;
  refresh_.restartCountdown();
  return GeneralOkResult::saved;
}

bool Client::confirmSoundSheet(const SoundSheetPages& pages) {
  const Result<void> written = saveSoundSections(pages);
  loadSoundSettings(settings_);
  triggers_ = pageTriggersFrom(settings_);
  alarms_.preloadAlarmSounds();
  if (!written) return false;
  if (alarms_.soundOn()) {
    alarms_.stopAllAlarms();
    refresh_.refresh();
  }
  return true;
}

}  // namespace jinro
