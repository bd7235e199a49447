#include "client/alarm_player.h"

#include <unistd.h>

#include <cstdio>
#include <utility>

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
  const Result<SoundId> opened = device_.open(soundKindOf(kind), path);
  noteOpen(kind, path, opened);
  if (opened) {
    sounding_ = Sounding{kind, *opened};
    device_.play(*opened, repeats(kind));
  }
  current_ = kind;
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
  if (gamePageSeen_) readyFirstSong();
}

void AlarmPlayer::gamePageRead() {
  if (std::exchange(gamePageSeen_, true)) return;
  readyFirstSong();
}

void AlarmPlayer::readyFirstSong() {
  for (int k = 0; k < kAlarmKindCount; ++k) {
    const AlarmKind kind = static_cast<AlarmKind>(k);
    const std::string& soundPath = settings_.alarm(kind).soundPath;
    if (soundKindOf(kind) != SoundKind::midi || soundPath.empty()) continue;
    device_.readySong(resolved(soundPath));
    return;
  }
}

void AlarmPlayer::closeSounding() {
  if (!sounding_) return;
  device_.stop(sounding_->sound);
  device_.close(sounding_->sound);
  sounding_.reset();
}

void AlarmPlayer::stopAllAlarms() { closeSounding(); }

void AlarmPlayer::stopCapacityAlarm() {
  if (sounding_ && sounding_->kind == AlarmKind::full_alarm) closeSounding();
}

void AlarmPlayer::playEnded(SoundId sound, PlayEnd end) {
  // A notice of a sound closed since (a late one) matches nothing: ids are
  // not given again.
  if (end != PlayEnd::finished || !soundOn_ || !sounding_ || sounding_->sound != sound) return;
  if (repeats(sounding_->kind)) device_.play(sound, true);
}

void AlarmPlayer::noteOpen(AlarmKind kind, const std::string& path, const Result<SoundId>& opened) {
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
