#pragma once
// Sounds the alarm of one kind through the sound device: at most one alarm at
// a time, played once or repeated on each successful completion notice.
#include <cstdint>

#include "app/client_controller.h"

namespace jinro {

class AlarmPlayer {
 public:
  explicit AlarmPlayer(ClientController& controller) : c_(controller) {}

  // Stops every alarm, opens the kind's file on its device, rewinds, plays
  // (with notice when it repeats) and makes the kind the current alarm.
  void playAlarm(AlarmKind kind);
  void stopAllAlarms();
  void stopCapacityAlarm();
  void replayAlarm(AlarmKind kind);
  // A completion notice. True when a channel matched (the notice is consumed).
  bool handleCompletion(uint32_t flags, uint32_t deviceId);

 private:
  ClientController& c_;
};

}  // namespace jinro
