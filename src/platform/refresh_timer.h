#pragma once
// The one repeating timer of the main window. start() kills a running timer
// first, so every start counts a full interval.
#include <cstdint>

namespace jinro {

class RefreshTimer {
 public:
  virtual ~RefreshTimer() = default;
  virtual void start(uint64_t intervalMilliseconds) = 0;
  virtual void stop() = 0;
};

}  // namespace jinro
