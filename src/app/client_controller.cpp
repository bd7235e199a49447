#include "app/client_controller.h"

#include "platform/message_target.h"

namespace jinro {

intptr_t ClientController::sendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (ports.mainWindow == nullptr) return 0;
  return ports.mainWindow->sendMessage(message, wParam, lParam);
}

}  // namespace jinro
