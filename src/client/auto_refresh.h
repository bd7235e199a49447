#pragma once
// Refreshing the game page: the form post of the current page, by hand or on
// the timer. Owns the switch, the countdown, and what a refresh posts where.
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
  void stopCountdown() {
    timer_.stop();
    counting_ = false;
  }

  // Posts the current page's form to its address now.
  void refresh();
  void timerTicked();
  // A completed page the player loaded (not a tick's refresh) restarts the
  // countdown.
  void pageCompleted();

  void setCurrentUrl(std::string url) { currentUrl_ = std::move(url); }
  void setPostBody(std::string body) { postBody_ = std::move(body); }
  const std::string& currentUrl() const { return currentUrl_; }
  const std::string& postBody() const { return postBody_; }

 private:
  void startCountdown();

  RefreshTimer& timer_;
  PageLoader& loader_;
  const Settings& settings_;
  std::function<void(bool)> switched_;
  bool on_ = false;
  bool counting_ = false;
  bool byTimer_ = false;
  std::string currentUrl_;
  std::string postBody_;
};

}  // namespace jinro
