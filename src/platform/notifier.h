#pragma once
// The desktop's notifications: a short message that the desktop shows outside
// the program's window (a bubble in a corner, an entry in its list), so that
// a player busy in another window learns that an alarm started.
#include <string>

namespace jinro {

struct DesktopNotification {
  std::string summary;  // UTF-8: who speaks (the program's name)
  std::string body;     // UTF-8: what happened (the alarm's name)
};

class Notifier {
 public:
  virtual ~Notifier() = default;
  // Shows the notification when the desktop has a notification service;
  // without one nothing happens and nothing is reported: the alarm sounds
  // and the window asks for attention all the same.
  virtual void notify(const DesktopNotification& notification) = 0;
};

}  // namespace jinro
