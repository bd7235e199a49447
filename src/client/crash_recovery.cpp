#include "client/crash_recovery.h"

namespace jinro {

bool CrashRecovery::crashed() {
  const auto now = now_();
  while (!crashes_.empty() && now - crashes_.front() >= kWindow) crashes_.pop_front();
  crashes_.push_back(now);
  if (static_cast<int>(crashes_.size()) >= kCrashesBeforeStop) stopped_ = true;
  return !stopped_;
}

void CrashRecovery::refreshing() {
  if (!stopped_) return;
  stopped_ = false;
  crashes_.clear();
}

}  // namespace jinro
