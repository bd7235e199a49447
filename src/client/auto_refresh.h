#pragma once
// Refreshing the game page: the form post of the current page, by hand or on
// the timer. Owns the switch, the countdown, and what a refresh posts where.
// A tick that comes while the player is typing waits for the typing to
// pause, but no longer than until the next tick.
#include <cstdint>
#include <functional>
#include <string>

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

  void setCurrentUrl(std::string url) { currentUrl_ = std::move(url); }
  void setPostBody(std::string body) { postBody_ = std::move(body); }
  const std::string& currentUrl() const { return currentUrl_; }
  const std::string& postBody() const { return postBody_; }

 private:
  void startCountdown();
  void countdownStopped();
  void setDeferred(bool deferred);

  RefreshTimer& timer_;
  PageLoader& loader_;
  const Settings& settings_;
  std::function<void(bool)> switched_;
  std::function<void(uint64_t)> countdown_;
  std::function<void(bool)> waiting_;
  std::function<void(std::function<void()>)> gate_;
  bool on_ = false;
  bool typing_ = false;
  bool deferred_ = false;  // a tick waits for the typing to pause
  bool counting_ = false;
  bool byTimer_ = false;
  std::string currentUrl_;
  std::string postBody_;
};

}  // namespace jinro
