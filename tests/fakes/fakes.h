#pragma once
// Test doubles of the platform interfaces: they record what the client asked
// for, and let a test fire what the desktop would report.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/durable_file.h"

#include "platform/browser.h"
#include "platform/clipboard.h"
#include "platform/file_writer.h"
#include "platform/game_window.h"
#include "platform/notes_pane.h"
#include "platform/notices.h"
#include "platform/notifier.h"
#include "platform/process_launcher.h"
#include "platform/refresh_timer.h"
#include "platform/sound_device.h"
#include "platform/status_bar.h"
#include "platform/window_sweeper.h"

namespace jinro::fake {

// Keeps the sounds the client opened and what each is doing, as the real
// device would: a play starts a sound over, stop and close end it, and a
// play with notice ends in one notice. Notices are handed over only when a
// test lets a sound finish (the main loop's pump), never inside a call.
class FakeSoundDevice : public SoundDevice {
 public:
  struct Call {
    std::string op;  // open, play, playNotify, stop, close
    std::optional<SoundId> sound;  // none for an open that failed
    std::string detail;  // open: the device kind and the path, "wave:/x/bird.wav"
  };
  struct OpenSound {
    SoundKind kind = SoundKind::wave;
    std::string path;
    bool playing = false;
    bool notify = false;
  };
  // Opens fail for paths listed here with another device type, or with a reason.
  std::map<std::string, SoundKind> fileTypes;
  std::map<std::string, std::string> failures;   // path -> reason
  bool acceptUnknownFiles = true;
  std::vector<Call> calls;
  std::map<SoundId, OpenSound> sounds;  // the open ones
  EndHandler handler;

  Result<SoundId> open(SoundKind kind, const std::string& path) override {
    const std::string detail = std::string(kind == SoundKind::wave ? "wave" : "midi") + ":" + path;
    auto failure = failures.find(path);
    auto it = fileTypes.find(path);
    const bool ok = failure == failures.end() && (it != fileTypes.end() ? it->second == kind : acceptUnknownFiles);
    if (!ok) {
      calls.push_back({"open", std::nullopt, detail});
      return fail(failure != failures.end() ? failure->second : "cannot open " + path);
    }
    const SoundId id(nextId_++);
    calls.push_back({"open", id, detail});
    sounds[id] = OpenSound{kind, path};
    return id;
  }
  void play(SoundId id, bool notify) override {
    calls.push_back({notify ? "playNotify" : "play", id, {}});
    auto it = sounds.find(id);
    if (it == sounds.end()) return;
    endPlay(it->second, id, PlayEnd::cutShort);
    it->second.playing = true;
    it->second.notify = notify;
  }
  void stop(SoundId id) override {
    calls.push_back({"stop", id, {}});
    if (auto it = sounds.find(id); it != sounds.end()) endPlay(it->second, id, PlayEnd::cutShort);
  }
  void close(SoundId id) override {
    calls.push_back({"close", id, {}});
    auto it = sounds.find(id);
    if (it == sounds.end()) return;
    endPlay(it->second, id, PlayEnd::cutShort);
    sounds.erase(it);
  }
  void setEndHandler(EndHandler h) override { handler = std::move(h); }
  void readySong(const std::string& path) override { readied.push_back(path); }
  std::vector<std::string> readied;  // readySong's paths, in order

  // The sound plays to its end (when it is playing); then every notice
  // waiting, this one last, goes to the handler.
  void finishPlaying(SoundId id) {
    if (auto it = sounds.find(id); it != sounds.end()) endPlay(it->second, id, PlayEnd::finished);
    deliver();
  }
  // A notice as the device might still hand it over after the sound was
  // closed or played again (it was on its way): whatever the sound does now.
  void fireEnd(SoundId id, PlayEnd how = PlayEnd::finished) {
    pending_.emplace_back(id, how);
    deliver();
  }
  void deliver() {
    while (!pending_.empty()) {
      const auto [id, how] = pending_.front();
      pending_.erase(pending_.begin());
      if (handler) handler(id, how);
    }
  }
  // The files played, in order, each time it was asked to play.
  std::vector<std::string> played() const {
    std::vector<std::string> out;
    std::map<SoundId, std::string> paths;
    for (const auto& c : calls) {
      if (c.op == "open" && c.sound) paths[*c.sound] = c.detail.substr(c.detail.find(':') + 1);
      if (c.op == "play" || c.op == "playNotify") out.push_back(paths[*c.sound]);
    }
    return out;
  }
  // The files sounding now.
  std::vector<std::string> sounding() const {
    std::vector<std::string> out;
    for (const auto& [id, s] : sounds)
      if (s.playing) out.push_back(s.path);
    return out;
  }
  // The sound most recently opened; none before any open succeeded.
  std::optional<SoundId> lastOpened() const {
    for (auto c = calls.rbegin(); c != calls.rend(); ++c)
      if (c->op == "open" && c->sound) return c->sound;
    return std::nullopt;
  }
  size_t count(const std::string& op) const {
    size_t n = 0;
    for (const auto& c : calls) n += c.op == op;
    return n;
  }

 private:
  void endPlay(OpenSound& s, SoundId id, PlayEnd how) {
    if (s.playing && s.notify) pending_.emplace_back(id, how);
    s.playing = false;
    s.notify = false;
  }
  uint32_t nextId_ = 1;
  std::vector<std::pair<SoundId, PlayEnd>> pending_;
};

class FakeWindow : public GameWindow {
 public:
  std::string caption;
  std::map<Command, bool> enabled;
  std::map<Command, bool> checked;
  std::vector<std::string> events;  // minimize, moveToTopLeft
  WindowGeometry currentGeometry;
  std::vector<WindowGeometry> applied;
  // The window's focus, as the test sets it; the attention it was asked for.
  bool windowActive = true;
  int attentionRequests = 0;

  void setCaption(std::string_view t) override { caption = std::string(t); }
  void setCommandEnabled(Command c, bool on) override { enabled[c] = on; }
  void setCommandChecked(Command c, bool on) override { checked[c] = on; }
  void minimize() override { events.push_back("minimize"); }
  void moveToTopLeft() override { events.push_back("moveToTopLeft"); }
  WindowGeometry windowGeometry() override { return currentGeometry; }
  void applyWindowGeometry(const WindowGeometry& g) override { applied.push_back(g); }
  bool isWindowActive() override { return windowActive; }
  void requestAttention() override { ++attentionRequests; }
};

// The status bar's fields: the status line, the game's state, the
// countdown's interval (0: off) and every start of it, waiting for typing,
// the pause, the page loads.
class FakeStatusBar : public StatusBar {
 public:
  std::string status;
  std::string gameStatus;
  uint64_t countdown = 0;
  int countdownStarts = 0;
  bool refreshWaiting = false;
  bool refreshPaused = false;
  std::vector<bool> pageLoads;

  void showStatusText(std::string_view text) override { status = std::string(text); }
  void showGameStatus(std::string_view text) override { gameStatus = std::string(text); }
  void showRefreshCountdown(uint64_t ms) override {
    countdown = ms;
    countdownStarts += ms > 0;
  }
  void showRefreshWaiting(bool waiting) override { refreshWaiting = waiting; }
  void showRefreshPaused(bool paused) override { refreshPaused = paused; }
  void showPageLoad(bool loaded) override { pageLoads.push_back(loaded); }
};

class FakeNotices : public Notices {
 public:
  std::vector<Notice> notices;
  std::vector<std::function<void()>> openNotices;  // closing callbacks of the boxes still shown

  void showNotice(const Notice& n, std::function<void()> closed) override {
    notices.push_back(n);
    openNotices.push_back(std::move(closed));
  }
  // The player closes the oldest box still shown.
  void closeNotice() {
    if (openNotices.empty()) return;
    auto closed = std::move(openNotices.front());
    openNotices.erase(openNotices.begin());
    if (closed) closed();
  }
};

class FakeNotifier : public Notifier {
 public:
  std::vector<DesktopNotification> shown;
  void notify(const DesktopNotification& n) override { shown.push_back(n); }
};

class FakeBrowser : public Browser {
 public:
  struct Navigation {
    std::string url;
    bool post = false;
    std::string body;
    std::string headers;
  };
  std::vector<Navigation> navigations;
  std::vector<std::pair<std::string, std::string>> shown;  // html, base
  std::string shownCharset;  // the charset the last page was shown in
  ScrollPosition scroll;
  std::vector<ScrollPosition> scrolledTo;
  int stops = 0;

  void navigate(const std::string& url) override { navigations.push_back({url, false, {}, {}}); }
  void navigateWithPost(const std::string& url, std::string_view body, std::string_view headers) override {
    navigations.push_back({url, true, std::string(body), std::string(headers)});
  }
  void stop() override { ++stops; }
  void showHtml(std::string_view html, std::string_view charset, const std::string& base) override {
    shown.emplace_back(std::string(html), base);
    shownCharset = std::string(charset);
  }
  ScrollPosition scrollPosition() override { return scroll; }
  // What the page itself says of its offsets (the view's report may lag).
  std::optional<ScrollPosition> pageScroll;
  void readScrollPosition(std::function<void(std::optional<ScrollPosition>)> done) override {
    answerWith([done, p = pageScroll] { done(p); });
  }
  void scrollTo(int left, int top) override { scrolledTo.push_back({left, top}); }
  // The page's speech form as the next read finds it, and the drafts put
  // back; answers come at once unless `holdAnswers` keeps them for the test
  // to release with answer().
  std::optional<SpeechDraft> draft;
  bool boxTakesDraft = true;
  std::vector<SpeechDraft> restoredDrafts;
  bool holdAnswers = false;
  std::vector<std::function<void()>> heldAnswers;
  void readSpeechDraft(std::function<void(std::optional<SpeechDraft>)> done) override {
    answerWith([done, d = draft] { done(d); });
  }
  void restoreSpeechDraft(const SpeechDraft& d, std::function<void(bool)> done) override {
    if (boxTakesDraft) restoredDrafts.push_back(d);
    answerWith([done, ok = boxTakesDraft] { done(ok); });
  }
  void answer() {
    auto held = std::move(heldAnswers);
    heldAnswers.clear();
    for (auto& f : held) f();
  }

 private:
  void answerWith(std::function<void()> f) {
    if (holdAnswers) {
      heldAnswers.push_back(std::move(f));
    } else {
      f();
    }
  }
};

class FakeTimer : public RefreshTimer {
 public:
  bool running = false;
  uint64_t interval = 0;
  int starts = 0;
  std::function<void()> tick;
  void start(uint64_t ms) override {
    running = true;
    interval = ms;
    ++starts;
  }
  void stop() override { running = false; }
  void setTickHandler(std::function<void()> t) override { tick = std::move(t); }
  void fire() {
    if (running && tick) tick();
  }
};

class FakeClipboard : public Clipboard {
 public:
  bool available = true;
  bool hasText = false;
  std::string text;
  bool clear() override {
    if (!available) return false;
    hasText = false;
    text.clear();
    return true;
  }
  bool setText(std::string_view t) override {
    if (!available) return false;
    hasText = true;
    text = std::string(t);
    return true;
  }
};

class FakeLauncher : public ProcessLauncher {
 public:
  std::vector<std::pair<std::string, std::vector<std::string>>> launches;
  int64_t startDetached(const std::string& program, const std::vector<std::string>& args) override {
    launches.emplace_back(program, args);
    return 1000 + static_cast<int64_t>(launches.size());
  }
};

class FakeSweeper : public WindowSweeper {
 public:
  std::vector<std::pair<SweepKind, std::string>> sweeps;
  int sweep(SweepKind kind, std::string_view cls) override {
    sweeps.emplace_back(kind, std::string(cls));
    return 0;
  }
};

// The notes shown and the lines added, as the pane would hold them.
class FakeNotesPane : public NotesPane {
 public:
  std::string text;
  std::string village;
  int shown = 0;
  void showNotes(std::string_view t, std::string_view v) override {
    text = std::string(t);
    village = std::string(v);
    ++shown;
  }
  int flushes = 0;
  void flushNotesEdit() override { ++flushes; }
  void appendNotesLine(std::string_view line) override {
    if (!text.empty() && text.back() != '\n') text += '\n';
    text += std::string(line) + "\n";
  }
};

// Writes at once, on the caller's thread, and keeps the paths written.
class FakeFileWriter : public FileWriter {
 public:
  std::vector<std::string> written;
  void write(std::string path, std::string bytes, std::function<void(Result<void>)> done) override {
    Result<void> saved = writeFileDurably(path, bytes);
    if (saved) written.push_back(path);
    if (done) done(std::move(saved));
  }
};

// One set of fakes, the desktop of a client under test.
struct FakeDesktop {
  FakeWindow window;
  FakeStatusBar statusBar;
  FakeNotices notices;
  FakeSoundDevice sound;
  FakeBrowser browser;
  FakeTimer timer;
  FakeClipboard clipboard;
  FakeLauncher launcher;
  FakeSweeper sweeper;
  FakeNotifier notifier;
  FakeNotesPane notesPane;
  FakeFileWriter writer;
};

}  // namespace jinro::fake
