// The notice queue on its own: order, what a pump hands out, the wakeup.
#include "backends/sdl/notice_queue.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace jinro {
namespace {

using Seen = std::vector<std::pair<uint32_t, uint32_t>>;

TEST(NoticeQueue, APumpHandsOutWhatWasQueuedBeforeItInOrder) {
  NoticeQueue q;
  Seen seen;
  q.setHandler([&](uint32_t code, uint32_t id) {
    seen.emplace_back(code, id);
    if (id == 1) NoticeQueue::run(q.push(kNotifyAborted, 3));  // a repeat that ends at once
  });
  NoticeQueue::run(q.push(kNotifySuccessful, 1));
  NoticeQueue::run(q.push(kNotifySuperseded, 2));
  EXPECT_TRUE(q.hasPending());
  EXPECT_EQ(q.pump(), 2u);
  EXPECT_EQ(seen, (Seen{{kNotifySuccessful, 1}, {kNotifySuperseded, 2}}));
  // The one queued by the handler waits for the next pump.
  EXPECT_TRUE(q.hasPending());
  EXPECT_EQ(q.pump(), 1u);
  EXPECT_EQ(seen.back(), (std::pair<uint32_t, uint32_t>{kNotifyAborted, 3}));
  EXPECT_FALSE(q.hasPending());
}

TEST(NoticeQueue, TheWakeupIsHandedBackNotRun) {
  NoticeQueue q;
  int wakeups = 0;
  EXPECT_EQ(q.push(kNotifyFailure, 1), nullptr);  // none set yet
  q.setWakeup([&] { ++wakeups; });
  NoticeQueue::Wakeup w = q.push(kNotifyFailure, 2);
  EXPECT_EQ(wakeups, 0);
  NoticeQueue::run(w);
  EXPECT_EQ(wakeups, 1);
  // Without a handler the notices are still taken off the queue.
  EXPECT_EQ(q.pump(), 2u);
  EXPECT_FALSE(q.hasPending());
}

}  // namespace
}  // namespace jinro
