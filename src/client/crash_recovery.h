#pragma once
// When the page's process dies, the page is loaded again; a page that keeps
// killing it is not retried in a loop. Three crashes within a minute stop the
// retries until the next refresh the player or the timer asks for.
#include <chrono>
#include <deque>
#include <functional>

namespace jinro {

class CrashRecovery {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  explicit CrashRecovery(Clock now = [] { return std::chrono::steady_clock::now(); }) : now_(std::move(now)) {}

  // The page's process ended now: whether to load the page again (false:
  // retries stop here).
  bool crashed();
  // A refresh is asked for: after a stop, it tries again.
  void refreshing();
  bool stopped() const { return stopped_; }

 private:
  static constexpr int kCrashesBeforeStop = 3;
  static constexpr std::chrono::seconds kWindow{60};

  Clock now_;
  std::deque<std::chrono::steady_clock::time_point> crashes_;
  bool stopped_ = false;
};

}  // namespace jinro
