#pragma once
// The sound device on SDL2_mixer. It puts together the audio output
// (audio_output.h), the sound cache with its preloader (sound_cache.h), the
// notice queue (notice_queue.h) and the table of open devices
// (device_table.h); what follows is what they add up to.
//
// Sound kinds: a WAV device plays RIFF/WAVE files (MP3 is accepted as well);
// a MIDI device plays Standard MIDI files ("MThd", or RIFF/RMID) through
// FluidSynth with a General MIDI soundfont. What a file is is decided by its
// bytes, never by its name; a file of the other kind fails to open.
//
// Ids: every open device gets a fresh SoundId (ids are not reused within a
// run); open fails, saying why, when the file is missing, unreadable,
// damaged, of the wrong kind, or when there is no audio at all. Calls with
// an id that is not open do nothing.
//
// Plays, stops, the synthesiser's takeover and the PlayEnd each play with
// notice ends in are device_table.h's to say.
//
// Notices are never handed over from inside a device call or from the audio
// thread: they wait in a queue until the main loop calls pumpNotices(), which
// hands them, in order, to the notice handler on the calling (main) thread.
//
// Wiring into a main loop (all calls on the main thread):
//   device.setEndHandler([&](SoundId sound, PlayEnd end) { ... });
//   device.setWakeup([obj] { QMetaObject::invokeMethod(obj, "pump", Qt::QueuedConnection); });
//   ... and the slot "pump" calls device.pumpNotices().
// The wakeup runs whenever a notice is queued, on whatever thread queued it:
// often SDL's audio thread, inside the mixer's lock. It must be quick and
// must not call back into this device or SDL_mixer; posting an event is right.
// A loop that prefers polling may instead call pumpNotices() from a timer
// (every 50-100 ms is plenty); hasPendingNotices() tells if it would deliver.
//
// Audio output: prepare() opens it on a thread of its own while the program
// starts, so that the first alarm does not wait for it (nor for the
// synthesiser's first load, which is made there too); an open that comes
// before it is done waits for it. Without prepare(), or when that attempt
// failed, the first open of a file that passes its checks opens it (and a
// failed attempt is tried again at the next open). Opening it on another
// thread is safe: SDL's audio needs no particular thread, and no SDL or
// SDL_mixer call is made from the main thread until it is done.
// How the output is opened (the driver, the fallback to SDL's "dummy" driver,
// the soundfont, SDL's signal handlers kept out) is audio_output.h's to say.
//
// Sounds are kept: what open builds from a file (the decoded WAV or MP3, or a
// MIDI file's data) stays after its devices are closed, for the next open of
// the same file while it is unchanged (sound_cache.h tells how much is kept).
// A MIDI file needs a synthesiser of its own for each play, which takes tens
// of milliseconds to load and some 17 MiB: one is kept loaded ahead, for the
// MIDI sound last opened, played or named by readySong() (mixer_sound.h).
// Devices open on one file share its decoded sound. preload() builds files in
// the background before they are first opened.
//
// One SdlSoundDevice at a time per process (SDL_mixer's end-of-play hooks are
// process-wide); a second one cannot open audio while the first has it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "backends/sdl/audio_output.h"
#include "backends/sdl/device_table.h"
#include "backends/sdl/mixer_sound.h"
#include "backends/sdl/notice_queue.h"
#include "backends/sdl/sound_cache.h"
#include "platform/sound_device.h"

namespace jinro {

class SdlSoundDevice final : public SoundDevice {
 public:
  SdlSoundDevice();
  ~SdlSoundDevice() override;
  SdlSoundDevice(const SdlSoundDevice&) = delete;
  SdlSoundDevice& operator=(const SdlSoundDevice&) = delete;

  // Starts opening the audio output on a thread of its own; returns at once.
  // Calling it again does nothing.
  void prepare();
  // Reads, checks and loads these files on prepare()'s thread, after the
  // audio output is open, so that their first open finds them ready (the
  // settings' sound files, say; any path naming the same file will do).
  // Files that fail are simply not kept: open tells why. Asked before
  // prepare(), the files wait for it; does nothing when its attempt failed,
  // or when an open opened the output first.
  void preload(const std::vector<std::string>& paths) override;
  // Loads the synthesiser of this MIDI file ahead of its first play, once it
  // is built (the one ready synthesiser moves to it). Asked before prepare(),
  // it waits for it.
  void readySong(const std::string& path) override;

  Result<SoundId> open(SoundKind device, const std::string& path) override;
  void play(SoundId sound, bool notify) override;
  void stop(SoundId sound) override;
  void close(SoundId sound) override;
  // The handler runs in pumpNotices() only.
  void setEndHandler(EndHandler handler) override;

  // Main thread: hands the notices queued so far to the handler, oldest
  // first, and returns how many. Notices queued while the handler runs (a
  // repeat that starts again, say) wait for the next call. Safe to call from
  // inside the handler (a nested event loop); order is kept.
  size_t pumpNotices();
  bool hasPendingNotices() const;
  // See above: called whenever a notice is queued, from any thread.
  void setWakeup(std::function<void()> wakeup);

  // The audio driver in use ("pulseaudio", "alsa", "dummy"...), "" before
  // the audio was opened or when it could not be.
  // Both wait for prepare()'s attempt if it is under way.
  std::string audioDriver() const;
  bool usingFallbackDriver() const;

  // Test hook: sees every buffer the mixer produces, on the audio thread:
  // signed 16-bit samples, interleaved stereo. Empty function to remove.
  using MixTap = std::function<void(const int16_t* samples, size_t count)>;
  void setMixTap(MixTap tap);

 private:
  // Opens the audio output and attaches the devices to it; does nothing
  // when it is open.
  Result<void> openAudio();
  // The audio output for an open: prepare()'s attempt when there was one
  // (its reason, once), otherwise an attempt of its own.
  Result<void> ensureAudio();
  void waitForPreparation() const;
  static void onPostMix(void* self, uint8_t* stream, int len);

  // Declared so that they are destroyed in this order: the devices, then the
  // cached sounds, then the output they play through.
  AudioOutput output_;
  NoticeQueue notices_;
  SoundCache cache_;
  DeviceTable devices_{notices_, cache_.readySynth()};

  // prepare()'s attempt at the audio output, until an open takes its outcome.
  // While it is under way, the preloader's thread opens the output and sets
  // the output's and the devices' state.
  std::future<Result<void>> preparing_;

  // preload()'s files and readySong()'s song asked for before prepare().
  std::vector<std::string> waitingForPrepare_;
  std::string songWaitingForPrepare_;

  std::mutex tapMutex_;
  MixTap tap_;
};

}  // namespace jinro
