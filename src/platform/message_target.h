#pragma once
// Synchronous delivery of a numbered message to the main window's dispatcher:
// handled to completion before the call returns.
#include <cstdint>

namespace jinro {

class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  virtual intptr_t sendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

}  // namespace jinro
