#pragma once
// Sounds the alarm of one kind at a time through the sound device: played
// once, or repeated each time it plays to its end. Owns the sound switch
// (ON/OFF) and which alarm is current, so that one page does not start the
// same alarm twice. At most one alarm's sound is open at a time: starting
// one closes the one before.
#include <functional>
#include <optional>
#include <string>

#include "client/alarm_problems.h"
#include "platform/sound_device.h"
#include "settings/settings.h"

namespace jinro {

class AlarmPlayer {
 public:
  // Sound files named by a relative path are looked for in soundFolder
  // (ending in '/'), then, when not there, in defaultSoundFolder.
  AlarmPlayer(SoundDevice& device, const Settings& settings, std::string soundFolder,
              std::string defaultSoundFolder = {});

  // Called with the status line (UTF-8; "" when all is well) whenever the
  // set of alarms that cannot sound changes.
  void onProblemsChanged(std::function<void(const std::string&)> handler) { problemsChanged_ = std::move(handler); }

  // Stops every alarm, opens the kind's file on its device and plays it from
  // the start; the kind becomes the current alarm even when its file would
  // not open, so that the same page does not try it again.
  void playAlarm(AlarmKind kind);
  void stopAllAlarms();
  void stopCapacityAlarm();
  // The sound files of every kind handed to the device to read ahead.
  void preloadAlarmSounds();
  // A game page was read: from now on a game may end, and the first of the
  // songs that tell its end (the settings name the villagers' win first) is
  // readied on the device, here and after every preload. Its synthesiser
  // weighs more than all the files, and no game ends on the lobby pages.
  void gamePageRead();

  bool isCurrent(AlarmKind kind) const { return current_ == kind; }
  void forgetCurrent() { current_.reset(); }

  bool soundOn() const { return soundOn_; }
  void setSoundOn(bool on) { soundOn_ = on; }

  // The device's notice that a play ended.
  void playEnded(SoundId sound, PlayEnd end);

  const AlarmProblems& problems() const { return problems_; }

 private:
  bool repeats(AlarmKind kind) const;
  std::string resolved(const std::string& soundPath) const;
  void noteOpen(AlarmKind kind, const std::string& path, const Result<SoundId>& opened);
  void closeSounding();
  void readyFirstSong();

  SoundDevice& device_;
  const Settings& settings_;
  std::string soundFolder_;
  std::string defaultSoundFolder_;
  // The alarm whose sound is open, with that sound; none when its file did
  // not open, or once it was stopped.
  struct Sounding {
    AlarmKind kind;
    SoundId sound;
  };
  std::optional<Sounding> sounding_;
  std::optional<AlarmKind> current_;
  bool soundOn_ = true;
  bool gamePageSeen_ = false;
  AlarmProblems problems_;
  std::function<void(const std::string&)> problemsChanged_;
};

}  // namespace jinro
