#pragma once
// The main window's dispatcher: commands of the menu and toolbar, the refresh
// timer, the private messages and the sound device's completion notices.
#include <cstdint>

#include "app/client_controller.h"
#include "platform/message_target.h"

namespace jinro {

class CommandHandler : public MessageTarget {
 public:
  explicit CommandHandler(ClientController& controller) : c_(controller) {}
  intptr_t sendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

 private:
  ClientController& c_;
};

}  // namespace jinro
