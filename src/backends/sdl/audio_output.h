#pragma once
// The audio output that the sound device plays through: SDL's audio with
// SDL_mixer on top, opened once per process.
//
// open() takes the driver SDL picks; SDL_AUDIODRIVER in the environment wins.
// When no driver of SDL's own choice works (no sound card, no sound server)
// and SDL_AUDIODRIVER is not set, it falls back to SDL's "dummy" driver, which
// consumes the sound in real time without playing it, so that timing and
// notices stay as with a card. It also picks the MIDI soundfont
// (SDL_SOUNDFONTS when set, otherwise the first of kSoundFontCandidates that
// exists) and keeps SDL's SIGINT/SIGTERM handlers out: they would turn the
// signals into events that nobody reads, and the program could no longer be
// stopped.
//
// Only one output of the process can be open at a time, as SDL_mixer's
// end-of-play hooks are process-wide; a second one fails to open, saying so.
// open() may run on any thread while no other SDL call is made; the other
// calls belong to the thread that owns the output once open() has returned.
#include <string>

#include "base/result.h"

namespace jinro {

inline constexpr const char* kSoundFontCandidates[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

class AudioOutput {
 public:
  AudioOutput() = default;
  ~AudioOutput();  // closes it
  AudioOutput(const AudioOutput&) = delete;
  AudioOutput& operator=(const AudioOutput&) = delete;

  // Opens it, or tells why there is no audio output. Does nothing when open.
  Result<void> open();
  // Every sound handed to the mixer must be freed before.
  void close();

  bool isOpen() const { return open_; }
  // The driver in use ("pulseaudio", "alsa", "dummy"...), "" when not open.
  std::string driver() const;
  bool usingFallbackDriver() const { return fallbackDriver_; }
  // What the mixer produces: frames a second, and samples a frame.
  int rate() const { return rate_; }
  int channels() const { return channels_; }

 private:
  bool open_ = false;
  bool fallbackDriver_ = false;
  int rate_ = 44100;
  int channels_ = 2;
};

}  // namespace jinro
