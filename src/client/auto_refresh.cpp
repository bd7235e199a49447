#include "client/auto_refresh.h"

#include "base/trace.h"

namespace jinro {

AutoRefresh::AutoRefresh(RefreshTimer& timer, PageLoader& loader, const Settings& settings)
    : timer_(timer), loader_(loader), settings_(settings) {
  timer_.setTickHandler([this] { timerTicked(); });
}

void AutoRefresh::startCountdown() {
  timer_.stop();
  const uint64_t interval = static_cast<uint64_t>(settings_.refreshIntervalSeconds) * 1000u;
  timer_.start(interval);
  counting_ = true;
  if (countdown_) countdown_(interval);
}

void AutoRefresh::countdownStopped() {
  setDeferred(false);
  if (countdown_) countdown_(0);
}

void AutoRefresh::stopCountdown() {
  timer_.stop();
  counting_ = false;
  countdownStopped();
}

void AutoRefresh::setDeferred(bool deferred) {
  if (deferred_ == deferred) return;
  deferred_ = deferred;
  if (waiting_) waiting_(deferred);
}

void AutoRefresh::toggle() {
  on_ = !on_;
  if (on_) {
    startCountdown();
  } else {
    timer_.stop();
    counting_ = false;
    countdownStopped();
  }
  if (switched_) switched_(on_);
}

void AutoRefresh::restartCountdown() {
  if (counting_) startCountdown();
}

void AutoRefresh::refresh() {
  // Whatever refresh comes first serves a tick that waits.
  setDeferred(false);
  auto post = [this] { loader_.post(currentUrl_, postBody_); };
  if (gate_) {
    gate_(post);
  } else {
    post();
  }
}

void AutoRefresh::timerTicked() {
  // The page would be replaced under the player's fingers; the second tick
  // goes ahead, so a player who never pauses still sees the game move.
  if (typing_ && !deferred_) {
    setDeferred(true);
    return;
  }
  traceMark("refresh-tick");
  byTimer_ = true;
  refresh();
}

void AutoRefresh::setTyping(bool typing) {
  typing_ = typing;
  if (!typing && deferred_) {
    traceMark("refresh-tick");
    byTimer_ = true;
    refresh();
  }
}

void AutoRefresh::pageCompleted() {
  if (!byTimer_ && counting_) startCountdown();
  byTimer_ = false;
}

}  // namespace jinro
