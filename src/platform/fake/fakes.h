#pragma once
// Test doubles of the platform interfaces: they record what the logic asked
// for, and let a test fire what the desktop would report.
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "app/client_controller.h"
#include "app/ids.h"
#include "platform/browser.h"
#include "platform/clipboard.h"
#include "platform/main_window.h"
#include "platform/message_target.h"
#include "platform/process_launcher.h"
#include "platform/refresh_timer.h"
#include "platform/sound_device.h"
#include "platform/window_sweeper.h"

namespace jinro::fake {

class FakeSoundDevice : public SoundDevice {
 public:
  struct Call {
    std::string op;  // open, seek, play, playNotify, stop, close
    uint32_t id = 0;
    std::string detail;  // device type and path for open
  };
  // Opens fail for paths listed here (or with the wrong device type).
  std::map<std::string, std::string> fileTypes;  // path -> "WaveAudio" / "Sequencer"
  bool acceptUnknownFiles = true;
  std::vector<Call> calls;
  std::map<uint32_t, std::string> openDevices;  // id -> path
  uint32_t nextId = 1;
  NoticeHandler handler;

  uint32_t open(std::string_view deviceType, const std::string& path) override {
    auto it = fileTypes.find(path);
    bool ok = it != fileTypes.end() ? it->second == deviceType : acceptUnknownFiles;
    uint32_t id = ok ? nextId++ : 0;
    calls.push_back({"open", id, std::string(deviceType) + ":" + path});
    if (id) openDevices[id] = path;
    return id;
  }
  void seekToStart(uint32_t id) override { calls.push_back({"seek", id, {}}); }
  void play(uint32_t id, bool notify) override { calls.push_back({notify ? "playNotify" : "play", id, {}}); }
  void stop(uint32_t id) override { calls.push_back({"stop", id, {}}); }
  void close(uint32_t id) override {
    calls.push_back({"close", id, {}});
    openDevices.erase(id);
  }
  void setNoticeHandler(NoticeHandler h) override { handler = std::move(h); }
  // What the device would report at the end of a play with notice.
  void fireNotice(uint32_t code, uint32_t id) {
    if (handler) handler(code, id);
  }
  size_t count(const std::string& op) const {
    size_t n = 0;
    for (const auto& c : calls) n += c.op == op;
    return n;
  }
};

class FakeMessageTarget : public MessageTarget {
 public:
  struct Message {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
  };
  std::vector<Message> messages;
  MessageTarget* forwardTo = nullptr;  // optional: pass on after recording
  intptr_t sendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    messages.push_back({message, wParam, lParam});
    return forwardTo ? forwardTo->sendMessage(message, wParam, lParam) : 0;
  }
  size_t count(uint32_t message, uintptr_t wParam) const {
    size_t n = 0;
    for (const auto& m : messages) n += m.message == message && m.wParam == wParam;
    return n;
  }
};

class FakeMainWindow : public MainWindowPort {
 public:
  std::string caption;
  std::map<int, int> toolbarStates;
  std::map<int, bool> menuChecks;
  std::vector<std::pair<std::string, std::string>> messageBoxes;  // text, caption
  std::vector<std::string> events;  // minimize, moveToTopLeft, close, generalDialog, soundSheet, version, open:<path>
  WindowPlacement currentPlacement;
  std::vector<WindowPlacement> applied;

  void setCaption(std::string_view t) override { caption = std::string(t); }
  void setToolbarButtonState(int id, int state) override { toolbarStates[id] = state; }
  void checkMenuItem(int id, bool checked) override { menuChecks[id] = checked; }
  void showMessageBox(std::string_view text, std::string_view cap, MessageIcon) override {
    messageBoxes.emplace_back(std::string(text), std::string(cap));
  }
  void minimize() override { events.push_back("minimize"); }
  void moveToTopLeft() override { events.push_back("moveToTopLeft"); }
  void requestClose() override { events.push_back("close"); }
  void runGeneralSettingsDialog() override { events.push_back("generalDialog"); }
  void runSoundSettingsSheet() override { events.push_back("soundSheet"); }
  void showVersionBox() override { events.push_back("version"); }
  WindowPlacement placement() override { return currentPlacement; }
  void applyPlacement(const WindowPlacement& p) override { applied.push_back(p); }
  void openWithDesktop(const std::string& path) override { events.push_back("open:" + path); }
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
  ScrollPosition scroll;
  std::vector<ScrollPosition> scrolledTo;
  int stops = 0;

  void navigate(const std::string& url) override { navigations.push_back({url, false, {}, {}}); }
  void navigateWithPost(const std::string& url, std::string_view body, std::string_view headers) override {
    navigations.push_back({url, true, std::string(body), std::string(headers)});
  }
  void stop() override { ++stops; }
  void showHtml(std::string_view html, const std::string& base) override { shown.emplace_back(std::string(html), base); }
  ScrollPosition scrollPosition() override { return scroll; }
  void scrollTo(int left, int top) override { scrolledTo.push_back({left, top}); }
};

class FakeTimer : public RefreshTimer {
 public:
  bool running = false;
  uint64_t interval = 0;
  int starts = 0;
  int stops = 0;
  void start(uint64_t ms) override {
    running = true;
    interval = ms;
    ++starts;
  }
  void stop() override {
    running = false;
    ++stops;
  }
};

class FakeClipboard : public Clipboard {
 public:
  bool available = true;
  bool hasText = false;
  std::string text;
  int clears = 0;
  bool clear() override {
    if (!available) return false;
    ++clears;
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
  int64_t nextPid = 1000;
  bool fail = false;
  int64_t startDetached(const std::string& program, const std::vector<std::string>& args) override {
    launches.emplace_back(program, args);
    return fail ? 0 : nextPid++;
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

// A controller wired to one set of fakes.
struct FakePlatform {
  FakeMessageTarget messages;
  FakeMainWindow shell;
  FakeSoundDevice sound;
  FakeBrowser browser;
  FakeTimer timer;
  FakeClipboard clipboard;
  FakeLauncher launcher;
  FakeSweeper sweeper;
  Ports ports() {
    Ports p;
    p.mainWindow = &messages;
    p.shell = &shell;
    p.sound = &sound;
    p.browser = &browser;
    p.timer = &timer;
    p.clipboard = &clipboard;
    p.launcher = &launcher;
    p.sweeper = &sweeper;
    return p;
  }
};

}  // namespace jinro::fake
