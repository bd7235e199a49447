#include "monitor/alarm_player.h"

#include "monitor/alarm_problems.h"
#include "platform/executable_dir.h"
#include "platform/sound_device.h"

namespace jinro {
namespace {

// A sound file named by a relative path lives beside the executable.
std::string resolveSoundPath(const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  return executableDirectory() + path;
}

// The capacity alarm always repeats; any other kind when its loop flag is
// exactly 1 (2, for instance, plays once).
bool repeats(const Settings& settings, AlarmKind kind) {
  return kind == AlarmKind::full_alarm || settings.alarm(kind).loop == 1;
}

}  // namespace

void AlarmPlayer::playAlarm(AlarmKind kind) {
  stopAllAlarms();

  AlarmChannel& ch = c_.alarmChannels[index(kind)];
  ch.deviceType = std::string(deviceType(kind));
  ch.elementName = c_.settings.alarm(kind).soundPath;
  ch.openedDeviceId = 0;

  uint32_t id = 0;
  if (SoundDevice* dev = c_.ports.sound) {
    const std::string path = resolveSoundPath(ch.elementName);
    id = dev->open(ch.deviceType, path);
    reportAlarmOpen(c_, kind, path, id);
    // A failed open leaves id 0: the alarm stays silent, yet it still
    // becomes the current alarm below, so the same page does not retry it.
    if (id != 0) {
      dev->seekToStart(id);
      dev->play(id, repeats(c_.settings, kind));
    }
  }
  ch.openedDeviceId = id;
  ch.deviceId = id;
  if (kind == AlarmKind::full_alarm) c_.capacityAlarmDevice = id;

  c_.currentAlarm = alarmId(kind);
}

void AlarmPlayer::stopAllAlarms() {
  SoundDevice* dev = c_.ports.sound;
  for (AlarmKind kind : kChannelOrder) {
    AlarmChannel& ch = c_.alarmChannels[index(kind)];
    // After stopCapacityAlarm the capacity channel may still name a device
    // that is already closed; the device ignores ids it does not know.
    if (dev != nullptr && ch.deviceId != 0) {
      dev->stop(ch.deviceId);
      dev->close(ch.deviceId);
    }
    ch = AlarmChannel{};
  }
  c_.capacityAlarmDevice = 0;
}

void AlarmPlayer::stopCapacityAlarm() {
  if (c_.capacityAlarmDevice == 0) return;
  if (SoundDevice* dev = c_.ports.sound) {
    dev->stop(c_.capacityAlarmDevice);
    dev->close(c_.capacityAlarmDevice);
  }
  c_.capacityAlarmDevice = 0;
}

void AlarmPlayer::replayAlarm(AlarmKind kind) {
  const uint32_t id = c_.alarmChannels[index(kind)].deviceId;
  SoundDevice* dev = c_.ports.sound;
  if (dev == nullptr || id == 0) return;
  dev->seekToStart(id);
  dev->play(id, true);
}

bool AlarmPlayer::handleCompletion(uint32_t flags, uint32_t deviceId) {
  if (flags != MCI_NOTIFY_SUCCESSFUL || c_.soundOn != 1) return false;
  // No open device has id 0; a closed channel is never a match.
  if (deviceId == 0) return false;
  for (AlarmKind kind : kChannelOrder) {
    if (c_.alarmChannels[index(kind)].deviceId != deviceId) continue;
    if (repeats(c_.settings, kind)) replayAlarm(kind);
    return true;
  }
  return false;
}

}  // namespace jinro
