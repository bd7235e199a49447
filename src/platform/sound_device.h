#pragma once
// A device that plays one sound file, a recording (WAV) or a song (Standard
// MIDI). Device ids are non-zero for open devices; operations on id 0
// (a failed open) do nothing. A play with notice ends with a notice,
// delivered on the main thread, saying whether the file played to its end or
// was cut short (stopped, closed or superseded).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace jinro {

enum class PlayEnd { finished, cutShort };

// What a device plays: recordings (WAV, MP3) or songs (Standard MIDI).
enum class SoundKind { wave, midi };

class SoundDevice {
 public:
  using EndHandler = std::function<void(uint32_t deviceId, PlayEnd end)>;
  virtual ~SoundDevice() = default;
  // The open device's id, or why the file could not be opened: missing,
  // unreadable, of the wrong type for the device, or no audio output at all.
  virtual Result<uint32_t> open(SoundKind kind, const std::string& path) = 0;
  virtual void seekToStart(uint32_t deviceId) = 0;
  virtual void play(uint32_t deviceId, bool notify) = 0;
  virtual void stop(uint32_t deviceId) = 0;
  virtual void close(uint32_t deviceId) = 0;
  virtual void setEndHandler(EndHandler handler) = 0;
  // The files the alarms will play, so that a device may read them ahead of
  // time; open() alone must still work for any file.
  virtual void preload(const std::vector<std::string>& paths) { (void)paths; }
};

}  // namespace jinro
