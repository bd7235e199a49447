#pragma once
// Refreshing the game page: the form post of the current page, by hand or on
// the timer. Owns the switch, the countdown, and what a refresh posts where.
// A tick that comes while the player is typing waits for the typing to
// pause, but no longer than until the next tick.
//
// A page that is no game page is refreshed by its own address. One that came
// back from the bare script address, as the answer to a form post (an error
// in the middle of a game, a login form), cannot be asked for again without
// its form: a post without it logs the player out. Such a page is refreshed
// with the last game page's form instead, and where there was none yet,
// automatic refresh pauses until the player brings another page.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "client/page_loader.h"
#include "platform/refresh_timer.h"
#include "settings/settings.h"

namespace jinro {

class AutoRefresh {
 public:
  AutoRefresh(RefreshTimer& timer, PageLoader& loader, const Settings& settings);

  // Called with the new state whenever the switch changes.
  void onSwitched(std::function<void(bool on)> handler) { switched_ = std::move(handler); }
  // Called with the interval whenever the repeating countdown starts from a
  // full interval, and with 0 when it stops.
  void onCountdown(std::function<void(uint64_t intervalMilliseconds)> handler) { countdown_ = std::move(handler); }
  // Called when a tick starts or stops waiting for the typing to pause.
  void onWaiting(std::function<void(bool waiting)> handler) { waiting_ = std::move(handler); }
  // Called when automatic refresh, switched on, pauses on a page it cannot
  // ask for again, or goes on.
  void onPaused(std::function<void(bool paused)> handler) { paused_ = std::move(handler); }
  // Runs before every refresh's post with the post itself, which it calls
  // when it is ready (at once, or after reading the page).
  void beforePost(std::function<void(std::function<void()> post)> gate) { gate_ = std::move(gate); }

  bool isOn() const { return on_; }
  // The switch: on starts a full interval's countdown, off stops it.
  void toggle();
  void switchOff() {
    if (on_) toggle();
  }

  // Starts the countdown again from a full interval, if it is running.
  void restartCountdown();
  // The countdown no longer counts as running (its timer is left to the
  // switch, which the start page turns off).
  void forgetCountdown() { counting_ = false; }
  // The window closes: no more ticks, the switch left as it is.
  void stopCountdown();

  // Posts the current page's form to its address now.
  void refresh();
  void timerTicked();
  // The player is typing in the page, or has paused.
  void setTyping(bool typing);
  bool waitingForTyping() const { return deferred_; }
  // A completed page the player loaded (not a tick's refresh) restarts the
  // countdown.
  void pageCompleted();

  // The page just read: a game page and the form its refresh posts, or
  // another page, refreshed by its address.
  void gamePageRead(std::string url, std::string body);
  void otherPageRead(std::string url);
  // Back to the start: the game pages before are no longer the player's.
  void forgetGamePage();

  const std::string& currentUrl() const { return currentUrl_; }
  const std::string& postBody() const { return postBody_; }
  bool paused() const { return pausedOn_; }

 private:
  void startCountdown();
  void countdownStopped();
  void setDeferred(bool deferred);
  void setStranded(bool stranded);
  void updatePause();

  RefreshTimer& timer_;
  PageLoader& loader_;
  const Settings& settings_;
  std::function<void(bool)> switched_;
  std::function<void(uint64_t)> countdown_;
  std::function<void(bool)> waiting_;
  std::function<void(bool)> paused_;
  std::function<void(std::function<void()>)> gate_;
  bool on_ = false;
  bool typing_ = false;
  bool deferred_ = false;  // a tick waits for the typing to pause
  bool counting_ = false;
  bool byTimer_ = false;
  std::string currentUrl_;
  std::string postBody_;
  // The last game page the player was on, and its form.
  bool hasGamePage_ = false;
  std::string gameUrl_;
  std::string gameBody_;
  bool stranded_ = false;  // the current page came from a form post to the bare script
  bool pause_ = false;     // stranded with no game page to go back to
  bool pausedOn_ = false;  // what onPaused last told
};

// Whether an address names the game script itself, with no query: what it
// answers depends on the form posted to it.
bool isBareScriptAddress(std::string_view url);

}  // namespace jinro
