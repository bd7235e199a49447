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
    if (!pause_) startCountdown();
  } else {
    timer_.stop();
    counting_ = false;
    countdownStopped();
  }
  updatePause();
  if (switched_) switched_(on_);
}

void AutoRefresh::restartCountdown() {
  if (counting_) startCountdown();
}

void AutoRefresh::refresh() {
  // Whatever refresh comes first serves a tick that waits.
  setDeferred(false);
  auto post = [this] {
    if (stranded_ && hasGamePage_) {
      loader_.post(gameUrl_, gameBody_);
    } else {
      loader_.post(currentUrl_, postBody_);
    }
  };
  if (gate_) {
    gate_(post);
  } else {
    post();
  }
}

void AutoRefresh::timerTicked() {
  if (pause_) return;  // nothing to ask for
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

void AutoRefresh::gamePageRead(std::string url, std::string body) {
  currentUrl_ = std::move(url);
  postBody_ = std::move(body);
  hasGamePage_ = true;
  gameUrl_ = currentUrl_;
  gameBody_ = postBody_;
  setStranded(false);
}

void AutoRefresh::otherPageRead(std::string url) {
  currentUrl_ = std::move(url);
  postBody_.clear();
  setStranded(isBareScriptAddress(currentUrl_));
}

void AutoRefresh::forgetGamePage() {
  hasGamePage_ = false;
  gameUrl_.clear();
  gameBody_.clear();
  updatePause();
}

void AutoRefresh::setStranded(bool stranded) {
  stranded_ = stranded;
  updatePause();
}

// Paused: the countdown stops, and starts from a full interval when a page
// gives the refresh something to ask for again.
void AutoRefresh::updatePause() {
  const bool pause = stranded_ && !hasGamePage_;
  if (pause != pause_) {
    pause_ = pause;
    if (pause && counting_) {
      timer_.stop();
      counting_ = false;
      countdownStopped();
    } else if (!pause && on_) {
      startCountdown();
    }
  }
  const bool tell = pause_ && on_;
  if (tell == pausedOn_) return;
  pausedOn_ = tell;
  if (paused_) paused_(tell);
}

void AutoRefresh::pageCompleted() {
  if (!byTimer_ && counting_) startCountdown();
  byTimer_ = false;
}

bool isBareScriptAddress(std::string_view url) {
  url = url.substr(0, url.find('#'));
  if (url.find('?') != std::string_view::npos) return false;
  constexpr std::string_view kScript = "/cgi_jinro.cgi";
  return url.size() >= kScript.size() && url.substr(url.size() - kScript.size()) == kScript;
}

}  // namespace jinro
