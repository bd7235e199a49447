#include "backends/sdl/notice_queue.h"

#include <optional>

namespace jinro {

NoticeQueue::Wakeup NoticeQueue::push(PlayEndNotice notice) {
  std::lock_guard lock(mutex_);
  queue_.push_back(notice);
  return wakeup_;
}

void NoticeQueue::run(const Wakeup& wakeup) {
  if (wakeup && *wakeup) (*wakeup)();
}

void NoticeQueue::setWakeup(std::function<void()> wakeup) {
  auto w = wakeup ? std::make_shared<std::function<void()>>(std::move(wakeup)) : nullptr;
  std::lock_guard lock(mutex_);
  wakeup_ = std::move(w);
}

size_t NoticeQueue::pump() {
  size_t pending;
  {
    std::lock_guard lock(mutex_);
    pending = queue_.size();
  }
  size_t delivered = 0;
  while (delivered < pending) {
    std::optional<PlayEndNotice> n;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) break;
      n = queue_.front();
      queue_.pop_front();
    }
    ++delivered;
    if (handler_) {
      Handler h = handler_;  // the handler may replace itself
      h(n->sound, n->end);
    }
  }
  return delivered;
}

bool NoticeQueue::hasPending() const {
  std::lock_guard lock(mutex_);
  return !queue_.empty();
}

}  // namespace jinro
