#pragma once
// One sound file made ready for the mixer: read and checked (readChecked),
// then handed to SDL_mixer (MixerSound::make) once the audio output is open.
// A WAV or MP3 file is decoded into a chunk; a MIDI file is kept as its data.
// A MIDI file plays through a synthesiser of its own (FluidSynth with its
// soundfont), which takes tens of milliseconds to load and about
// kReadySynthBytes of memory: one is loaded ahead only for the MIDI sound
// likely to play next, and ReadySynth sees that at most one sound of the
// process holds one. Devices open on one file share its MixerSound; it
// outlives them while the sound cache keeps it.
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

// About what a MIDI file's synthesiser takes in memory beside the
// soundfont's samples, which the synthesisers share (measured with heaptrack
// and the 6 MB TimGM6mb soundfont: 17 MiB each, the samples 6 MiB once).
inline constexpr size_t kReadySynthBytes = 17u << 20;

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
  // thread. The reason names the file. A MIDI file gets a synthesiser loaded
  // for its first play when `loadSynth` says so, and then fails when the
  // synthesiser cannot load it; otherwise the first play loads one.
  static Result<std::shared_ptr<MixerSound>> make(const std::string& path, CheckedFile&& file, bool loadSynth);
  ~MixerSound();
  MixerSound() = default;
  MixerSound(const MixerSound&) = delete;
  MixerSound& operator=(const MixerSound&) = delete;

  soundfile::Kind kind() const { return kind_; }
  bool midi() const { return midi_; }
  Mix_Chunk* chunk() const { return chunk_; }  // WAV, MP3
  double seconds() const { return seconds_; }  // MIDI: when its last event is due
  // The memory its decoded data takes, about: the chunk, or the MIDI data
  // (a ready synthesiser is not counted: there is one at most, ReadySynth's).
  size_t bytes() const;

  // MIDI: a stream to play, never played before, which the caller frees, or
  // why the synthesiser could not load one. A played stream cannot start
  // from its beginning again (the synthesiser resumes where it was halted),
  // so every play takes a fresh one; the next is loaded in the background
  // (readyNext) while this one plays.
  Result<_Mix_Music*> takeStream();
  void readyNext();
  // MIDI: loads a synthesiser for the next play unless one is ready or on
  // its way; the reason names the file.
  Result<void> ensureSynth(const std::string& path);
  // MIDI: whether a synthesiser is loaded for the next play, or on its way.
  bool holdsSynth() const { return fresh_ || loading_.valid(); }
  // MIDI: lets the ready synthesiser go; one still loading is handed over
  // (the caller frees it once loaded) rather than waited for.
  std::future<_Mix_Music*> dropSynth();

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

// The one MIDI sound of the process that holds a ready synthesiser: each
// holds about kReadySynthBytes, and one is enough for the next MIDI alarm
// (the one last played or preloaded). Main thread.
class ReadySynth {
 public:
  ReadySynth() = default;
  ~ReadySynth() { clear(); }
  ReadySynth(const ReadySynth&) = delete;
  ReadySynth& operator=(const ReadySynth&) = delete;

  // `sound` holds a ready synthesiser now (or is loading one): the sound that
  // held one before lets its own go.
  void give(const std::shared_ptr<MixerSound>& sound);
  // Frees every synthesiser let go of; waits for those still loading.
  // Before the audio output closes.
  void clear();

 private:
  void freeLoaded(bool wait);

  std::weak_ptr<MixerSound> holder_;
  std::vector<std::future<_Mix_Music*>> letGo_;  // still loading when let go
};

}  // namespace jinro
