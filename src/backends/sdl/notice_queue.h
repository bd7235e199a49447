#pragma once
// The notices of ended plays, on their way from wherever a play ends (a device
// call on the main thread, or SDL's audio thread inside the mixer's lock) to
// the notice handler, which only ever runs on the main thread, in pump(), and
// gets them in the order they were queued.
//
// Queuing never runs the handler. It hands back the wakeup instead, for the
// caller to run once it has let go of its own locks: a notice is queued under
// the lock that decided it, so that notices keep the order of the events
// behind them, while the wakeup, which may post an event to the main loop,
// runs outside every lock of ours.
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/sound_device.h"

namespace jinro {

// A play that ended, as the sound device tells it.
struct PlayEndNotice {
  SoundId sound;
  PlayEnd end;
  bool operator==(const PlayEndNotice&) const = default;
};

class NoticeQueue {
 public:
  using Handler = std::function<void(SoundId sound, PlayEnd end)>;
  // A wakeup to run once the caller's locks are released; may be empty.
  using Wakeup = std::shared_ptr<std::function<void()>>;

  // Any thread. Only copies a pointer to the wakeup, so that the audio
  // thread builds no function object.
  [[nodiscard]] Wakeup push(PlayEndNotice notice);
  static void run(const Wakeup& wakeup);

  // Main thread: hands the notices queued so far to the handler, oldest
  // first, and returns how many. Notices queued while the handler runs wait
  // for the next call. Safe to call from inside the handler (a nested event
  // loop); order is kept.
  size_t pump();
  bool hasPending() const;

  // Main thread. The handler may replace itself while it runs.
  void setHandler(Handler handler) { handler_ = std::move(handler); }
  // Called whenever a notice is queued, on whatever thread queued it.
  void setWakeup(std::function<void()> wakeup);

 private:
  Handler handler_;
  mutable std::mutex mutex_;
  std::deque<PlayEndNotice> queue_;
  Wakeup wakeup_;
};

}  // namespace jinro
