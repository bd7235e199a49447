#pragma once
// The one repeating timer of automatic refresh. start() stops a running
// timer first, so every start counts a full interval.
#include <cstdint>
#include <functional>

namespace jinro {

class RefreshTimer {
 public:
  virtual ~RefreshTimer() = default;
  virtual void start(uint64_t intervalMilliseconds) = 0;
  virtual void stop() = 0;
  // Where the ticks go.
  virtual void setTickHandler(std::function<void()> tick) = 0;
};

}  // namespace jinro
