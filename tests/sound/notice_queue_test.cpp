// The notice queue on its own: order, what a pump hands out, the wakeup.
#include "backends/sdl/notice_queue.h"

#include <gtest/gtest.h>

#include <vector>

namespace jinro {
namespace {

using Seen = std::vector<PlayEndNotice>;

TEST(NoticeQueue, APumpHandsOutWhatWasQueuedBeforeItInOrder) {
  NoticeQueue q;
  Seen seen;
  q.setHandler([&](SoundId sound, PlayEnd end) {
    seen.push_back({sound, end});
    // A repeat that is cut short at once.
    if (sound == SoundId(1)) NoticeQueue::run(q.push({SoundId(3), PlayEnd::cutShort}));
  });
  NoticeQueue::run(q.push({SoundId(1), PlayEnd::finished}));
  NoticeQueue::run(q.push({SoundId(2), PlayEnd::cutShort}));
  EXPECT_TRUE(q.hasPending());
  EXPECT_EQ(q.pump(), 2u);
  EXPECT_EQ(seen, (Seen{{SoundId(1), PlayEnd::finished}, {SoundId(2), PlayEnd::cutShort}}));
  // The one queued by the handler waits for the next pump.
  EXPECT_TRUE(q.hasPending());
  EXPECT_EQ(q.pump(), 1u);
  EXPECT_EQ(seen.back(), (PlayEndNotice{SoundId(3), PlayEnd::cutShort}));
  EXPECT_FALSE(q.hasPending());
}

TEST(NoticeQueue, TheWakeupIsHandedBackNotRun) {
  NoticeQueue q;
  int wakeups = 0;
  EXPECT_EQ(q.push({SoundId(1), PlayEnd::cutShort}), nullptr);  // none set yet
  q.setWakeup([&] { ++wakeups; });
  NoticeQueue::Wakeup w = q.push({SoundId(2), PlayEnd::finished});
  EXPECT_EQ(wakeups, 0);
  NoticeQueue::run(w);
  EXPECT_EQ(wakeups, 1);
  // Without a handler the notices are still taken off the queue.
  EXPECT_EQ(q.pump(), 2u);
  EXPECT_FALSE(q.hasPending());
}

}  // namespace
}  // namespace jinro
