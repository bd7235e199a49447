#include "client/alarm_player.h"

#include <unistd.h>

#include <cstdio>

#include "base/trace.h"

namespace jinro {

namespace {

// The phases' and the capacity's alarms are recordings; the others, songs:
// whatever the file's name says, the file must be of that kind.
SoundKind soundKindOf(AlarmKind k) {
  switch (k) {
    case AlarmKind::night:
    case AlarmKind::daytime:
    case AlarmKind::tohyo:
    case AlarmKind::kodo:
    case AlarmKind::full_alarm:
      return SoundKind::wave;
    default:
      return SoundKind::midi;
  }
}

}  // namespace

AlarmPlayer::AlarmPlayer(SoundDevice& device, const Settings& settings, std::string soundFolder,
                         std::string defaultSoundFolder)
    : device_(device),
      settings_(settings),
      soundFolder_(std::move(soundFolder)),
      defaultSoundFolder_(std::move(defaultSoundFolder)) {}

// The capacity alarm always repeats; any other kind when its loop flag is
// exactly 1 (2, for instance, plays once).
bool AlarmPlayer::repeats(AlarmKind kind) const {
  return kind == AlarmKind::full_alarm || settings_.alarm(kind).repeat;
}

void AlarmPlayer::playAlarm(AlarmKind kind) {
  traceMark("play-called", keyPrefix(kind));
  stopAllAlarms();
  const std::string path = resolved(settings_.alarm(kind).soundPath);
  const Result<uint32_t> opened = device_.open(soundKindOf(kind), path);
  noteOpen(kind, path, opened);
  const uint32_t id = opened ? *opened : 0;
  if (id != 0) {
    device_.seekToStart(id);
    device_.play(id, repeats(kind));
  }
  devices_[index(kind)] = id;
  if (kind == AlarmKind::full_alarm) capacityDevice_ = id;
  current_ = kind;
  if (alarmStarted_) alarmStarted_(kind);
}

std::string AlarmPlayer::resolved(const std::string& soundPath) const {
  if (soundPath.empty() || soundPath.front() == '/') return soundPath;
  const std::string own = soundFolder_ + soundPath;
  // The player's own file wins; the installed default stands in when the
  // settings folder has none of that name. A file in neither is reported
  // under the player's folder, where it was looked for first.
  if (defaultSoundFolder_.empty() || defaultSoundFolder_ == soundFolder_ || access(own.c_str(), F_OK) == 0) return own;
  const std::string fallback = defaultSoundFolder_ + soundPath;
  return access(fallback.c_str(), F_OK) == 0 ? fallback : own;
}

void AlarmPlayer::preloadAlarmSounds() {
  std::vector<std::string> paths;
  for (const AlarmSetting& alarm : settings_.alarms) {
    if (!alarm.soundPath.empty()) paths.push_back(resolved(alarm.soundPath));
  }
  device_.preload(paths);
}

void AlarmPlayer::stopAllAlarms() {
  for (AlarmKind kind : kChannelOrder) {
    uint32_t& id = devices_[index(kind)];
    if (id != 0) {
      device_.stop(id);
      device_.close(id);
    }
    id = 0;
  }
  capacityDevice_ = 0;
}

void AlarmPlayer::stopCapacityAlarm() {
  if (capacityDevice_ == 0) return;
  device_.stop(capacityDevice_);
  device_.close(capacityDevice_);
  devices_[index(AlarmKind::full_alarm)] = 0;
  capacityDevice_ = 0;
}

void AlarmPlayer::playEnded(uint32_t deviceId, PlayEnd end) {
  // No open device has id 0; a closed channel is never a match.
  if (end != PlayEnd::finished || !soundOn_ || deviceId == 0) return;
  for (AlarmKind kind : kChannelOrder) {
    if (devices_[index(kind)] != deviceId) continue;
    if (repeats(kind)) {
      device_.seekToStart(deviceId);
      device_.play(deviceId, true);
    }
    return;
  }
}

void AlarmPlayer::noteOpen(AlarmKind kind, const std::string& path, const Result<uint32_t>& opened) {
  const std::string& soundPath = settings_.alarm(kind).soundPath;
  const std::string reason = opened ? std::string() : opened.error();
  if (!problems_.record(kind, soundPath, path, opened.has_value(), reason)) return;
  if (const auto& p = problems_.problem(kind)) {
    std::fprintf(stderr, "jinro-client: the %.*s alarm is silent: %s\n", static_cast<int>(keyPrefix(kind).size()),
                 keyPrefix(kind).data(), p->reason.c_str());
  }
  if (problemsChanged_) problemsChanged_(problems_.statusText());
}

}  // namespace jinro
