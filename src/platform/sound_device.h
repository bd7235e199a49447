#pragma once
// A device that plays sound files, recordings (WAV) or songs (Standard MIDI).
// open() gives a SoundId for one file; play() plays that file from its start,
// and a play with notice ends with exactly one PlayEnd, delivered on the main
// thread: finished when the file played to its end, cutShort when it was
// stopped, closed, played again before its end, or could not start.
// Calls on an id that is closed do nothing.
#include <compare>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/result.h"

namespace jinro {

enum class PlayEnd { finished, cutShort };

// What a device plays: recordings (WAV, MP3) or songs (Standard MIDI).
enum class SoundKind { wave, midi };

// One opened sound. Only open() makes one; ids are not given again within a
// run, so a late notice never reaches a sound opened after it.
class SoundId {
 public:
  explicit constexpr SoundId(uint32_t value) : value_(value) {}
  constexpr uint32_t value() const { return value_; }
  friend constexpr bool operator==(SoundId, SoundId) = default;
  friend constexpr auto operator<=>(SoundId, SoundId) = default;

 private:
  uint32_t value_;
};

class SoundDevice {
 public:
  using EndHandler = std::function<void(SoundId sound, PlayEnd end)>;
  virtual ~SoundDevice() = default;
  // The opened sound, or why the file could not be opened: missing,
  // unreadable, of the wrong kind, or no audio output at all.
  virtual Result<SoundId> open(SoundKind kind, const std::string& path) = 0;
  // Plays the whole file from its start, also when it is still playing (the
  // earlier play's notice is then cut short); with notify, its end is told.
  virtual void play(SoundId sound, bool notify) = 0;
  virtual void stop(SoundId sound) = 0;
  virtual void close(SoundId sound) = 0;
  virtual void setEndHandler(EndHandler handler) = 0;
  // The files the alarms will play, so that a device may read them ahead of
  // time; open() alone must still work for any file.
  virtual void preload(const std::vector<std::string>& paths) { (void)paths; }
  // The song (a MIDI file) likely to play next, so that a device may load
  // what playing it takes ahead of time.
  virtual void readySong(const std::string& path) { (void)path; }
};

}  // namespace jinro
