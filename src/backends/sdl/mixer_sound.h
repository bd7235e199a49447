#pragma once
// One sound file made ready for the mixer: read and checked (readChecked),
// then handed to SDL_mixer (MixerSound::make) once the audio output is open.
// A WAV or MP3 file is decoded into a chunk; a MIDI file is kept as its data
// with a synthesiser loaded and ready, as loading one (FluidSynth with its
// soundfont) takes tens of milliseconds. Devices open on one file share its
// MixerSound; it outlives them while the sound cache keeps it.
#include <cstddef>
#include <cstdint>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backends/sdl/sound_file.h"
#include "base/result.h"
#include "platform/sound_device.h"

struct Mix_Chunk;
struct _Mix_Music;

namespace jinro {

// Files larger than this are refused rather than read into memory.
inline constexpr size_t kMaxSoundFileBytes = 64u << 20;

// About what a MIDI file's ready synthesiser takes in memory (measured with
// the 6 MB TimGM6mb soundfont).
inline constexpr size_t kReadySynthBytes = 9u << 20;

// Why a file cannot go on a device of this kind (a WAV device plays WAV and
// MP3 files, a MIDI device MIDI files).
std::string wrongDevice(const std::string& path, soundfile::Kind kind, SoundKind device);

// A file read and checked, not yet handed to the mixer.
struct CheckedFile {
  soundfile::Kind kind = soundfile::Kind::unknown;
  std::string bytes;          // WAV, MP3
  std::vector<uint8_t> smf;   // MIDI
  double seconds = 0;
};

// Reads and checks a file as open does, in the same order and with the same
// reasons; the file's kind is checked against `device` when there is one.
Result<CheckedFile> readChecked(const std::string& path, std::optional<SoundKind> device);

// Makes FluidSynth set itself up and read the soundfont (by loading a song of
// no notes), so that the first real song loads as fast as later ones. The
// audio output must be open.
void warmUpSynthesiser();

class MixerSound {
 public:
  // Hands a checked file to the mixer (the audio output must be open); any
  // thread. The reason names the file.
  static Result<std::shared_ptr<MixerSound>> make(const std::string& path, CheckedFile&& file);
  ~MixerSound();
  MixerSound() = default;
  MixerSound(const MixerSound&) = delete;
  MixerSound& operator=(const MixerSound&) = delete;

  soundfile::Kind kind() const { return kind_; }
  bool midi() const { return midi_; }
  Mix_Chunk* chunk() const { return chunk_; }  // WAV, MP3
  double seconds() const { return seconds_; }  // MIDI: when its last event is due
  // The memory it takes, about.
  size_t bytes() const;

  // MIDI: a stream to play, never played before, which the caller frees, or
  // why the synthesiser could not load one. A played stream cannot start
  // from its beginning again (the synthesiser resumes where it was halted),
  // so every play takes a fresh one; the next is loaded in the background
  // (readyNext) while this one plays.
  Result<_Mix_Music*> takeStream();
  void readyNext();

 private:
  static _Mix_Music* load(const std::vector<uint8_t>& smf);

  soundfile::Kind kind_ = soundfile::Kind::unknown;
  bool midi_ = false;
  Mix_Chunk* chunk_ = nullptr;
  std::vector<uint8_t> smf_;  // MIDI: the data, to load it afresh for each play
  double seconds_ = 0;
  _Mix_Music* fresh_ = nullptr;        // loaded, never played
  std::future<_Mix_Music*> loading_;  // or on its way
};

}  // namespace jinro
