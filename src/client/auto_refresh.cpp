#include "client/auto_refresh.h"

namespace jinro {

AutoRefresh::AutoRefresh(RefreshTimer& timer, PageLoader& loader, const Settings& settings)
    : timer_(timer), loader_(loader), settings_(settings) {
  timer_.setTickHandler([this] { timerTicked(); });
}

void AutoRefresh::startCountdown() {
  timer_.stop();
  timer_.start(static_cast<uint64_t>(settings_.refreshIntervalSeconds) * 1000u);
  counting_ = true;
}

void AutoRefresh::toggle() {
  on_ = !on_;
  if (on_) {
    startCountdown();
  } else {
    timer_.stop();
    counting_ = false;
  }
  if (switched_) switched_(on_);
}

void AutoRefresh::restartCountdown() {
  if (counting_) startCountdown();
}

void AutoRefresh::refresh() { loader_.post(currentUrl_, postBody_); }

void AutoRefresh::timerTicked() {
  byTimer_ = true;
  refresh();
}

void AutoRefresh::pageCompleted() {
  if (!byTimer_ && counting_) startCountdown();
  byTimer_ = false;
}

}  // namespace jinro
