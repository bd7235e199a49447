#pragma once
// Message boxes for the player, owned by the main window.
#include <functional>
#include <string>

namespace jinro {

enum class MessageIcon { none, information, error };

struct Notice {
  std::string text;     // UTF-8
  std::string caption;  // UTF-8
  MessageIcon icon = MessageIcon::none;
};

class Notices {
 public:
  virtual ~Notices() = default;
  // Shows the box and returns at once; `closed` runs when the player has
  // dismissed it. Pages, timer ticks and sound notices go on while it is
  // shown.
  virtual void showNotice(const Notice& notice, std::function<void()> closed = {}) = 0;
};

}  // namespace jinro
