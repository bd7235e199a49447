#pragma once
// The sound device on SDL2_mixer.
//
// Device types: "WaveAudio" plays RIFF/WAVE files (MP3 is accepted as well);
// "Sequencer" plays Standard MIDI files ("MThd", or RIFF/RMID) through
// FluidSynth with a General MIDI soundfont. What a file is is decided by its
// bytes, never by its name; a file of the other kind fails to open. Type names
// are matched without regard to case, as MCI does.
//
// Ids: every open device gets a fresh non-zero id (ids are not reused within a
// run); open fails, saying why, when the file is missing,
// unreadable, damaged, of the wrong type, or when there is no audio at all.
// Calls with id 0 or an id that is not open do nothing.
//
// Operations: seekToStart stops the device (a pending notice is aborted) and
// the next play starts at the beginning. play starts the whole file from its
// beginning; on a device that is still playing it goes on where it is and only
// replaces the pending notice (the old one is superseded). stop ends the sound
// at once; close releases the device. A "Sequencer" device that starts while
// another one plays takes the synthesiser over: the other one is stopped and
// its pending notice aborted. "WaveAudio" devices each have a mixer channel of
// their own and may sound together.
//
// Notices: every play with notice ends in exactly one notice carrying the
// device id: kNotifySuccessful when the file played to its end,
// kNotifySuperseded when a new play with notice replaced it,
// kNotifyAborted when the device was stopped, rewound, closed or taken
// over, kNotifyFailure (8) when the play could not start. A MIDI file's end is
// when its last event is due (by the file's tempo map) plus kMidiEndGrace, or
// when the synthesiser falls silent, whichever comes first; the last notes'
// release may ring on after the notice until the next play or stop.
// Notices are never handed over from inside a device call or from the audio
// thread: they wait in a queue until the main loop calls pumpNotices(), which
// hands them, in order, to the notice handler on the calling (main) thread.
//
// Wiring into a main loop (all calls on the main thread):
//   device.setNoticeHandler([&](uint32_t code, uint32_t id) { ... });
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
// SDL picks the driver; SDL_AUDIODRIVER in the environment wins. When no
// driver of SDL's own choice works (no sound card, no sound server) and
// SDL_AUDIODRIVER is not set, the device falls back to SDL's "dummy" driver,
// which consumes the sound in real time without playing it, so that timing
// and notices stay as with a card.
// The soundfont is taken from SDL_SOUNDFONTS when set, otherwise the first of
// kSoundFontCandidates that exists.
//
// SDL's own SIGINT/SIGTERM handlers are kept out (they would turn the signals
// into events that nobody reads, and the program could no longer be stopped).
//
// Sounds are kept: what open builds from a file (the decoded WAV or MP3, or a
// MIDI file with a synthesiser loaded and ready, which takes tens of
// milliseconds) stays after its devices are closed, for the next open of the
// same file. A file is the same while its device, inode, size, modification
// and change times are, so a file written again is read again. At most
// kMaxKeptSounds files and about kKeptSoundBytes are kept, the least recently
// opened going first. Devices open on one file share its decoded sound.
// preload() builds files in the background before they are first opened.
//
// One SdlSoundDevice at a time per process (SDL_mixer's end-of-play hooks are
// process-wide); a second one cannot open audio while the first has it.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/sound_device.h"

struct Mix_Chunk;
struct _Mix_Music;

namespace jinro {

// The device's own notices, finer than what the client needs: a play that
// ended (successful), was replaced by another (superseded), was stopped,
// rewound or closed (aborted), or could not start (failure).
inline constexpr uint32_t kNotifySuccessful = 1;
inline constexpr uint32_t kNotifySuperseded = 2;
inline constexpr uint32_t kNotifyAborted = 4;
inline constexpr uint32_t kNotifyFailure = 8;

inline constexpr const char* kSoundFontCandidates[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

// Time the last notes of a MIDI file are given to ring before its end is
// reported, in seconds.
inline constexpr double kMidiEndGrace = 0.5;

// Files larger than this are refused rather than read into memory.
inline constexpr size_t kMaxSoundFileBytes = 64u << 20;

// How many files' sounds are kept for the next open, and about how much
// memory they may take: a decoded WAV takes its samples at the mixer's rate,
// a MIDI file's ready synthesiser about kReadySynthBytes (measured with the
// 6 MB TimGM6mb soundfont).
inline constexpr size_t kMaxKeptSounds = 16;
inline constexpr size_t kKeptSoundBytes = 64u << 20;
inline constexpr size_t kReadySynthBytes = 9u << 20;

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
  // Files that fail are simply not kept: open tells why. Does nothing
  // without prepare() or when its attempt failed.
  void preload(const std::vector<std::string>& paths) override;

  Result<uint32_t> open(std::string_view deviceType, const std::string& path) override;
  void seekToStart(uint32_t deviceId) override;
  void play(uint32_t deviceId, bool notify) override;
  void stop(uint32_t deviceId) override;
  void close(uint32_t deviceId) override;
  // The client hears "finished" for a successful notice, "cut short" for the others.
  void setEndHandler(EndHandler handler) override;
  // Every notice with its code (kNotify...). There is one handler: this
  // replaces the one setEndHandler gave, and the other way round.
  using NoticeHandler = std::function<void(uint32_t code, uint32_t deviceId)>;
  void setNoticeHandler(NoticeHandler handler);

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
  // The id of the opened device, or 0 with the reason in lastError_.
  uint32_t openDevice(std::string_view deviceType, const std::string& path);
  struct Device;
  struct Sound;
  // What tells one version of a file from another.
  struct FileKey {
    uint64_t dev = 0, ino = 0, size = 0;
    int64_t mtimeNs = 0, ctimeNs = 0;
    bool operator==(const FileKey&) const = default;
  };
  struct Kept {
    FileKey key;
    std::shared_ptr<Sound> sound;
  };
  // The file's identity as it is now; false when it is not a plain file that
  // open could read (open then reads it and says why).
  static bool fileKey(const std::string& path, FileKey& key);
  struct Playing {
    uint32_t device = 0;  // 0: nothing playing there
    bool notify = false;
  };
  struct Notice {
    uint32_t code;
    uint32_t device;
  };

  bool ensureAudio(std::string& why);
  bool openAudio(std::string& why);
  bool tryOpenAudio(const char* driver, std::string& why);
  void waitForPreparation() const;
  void work(std::promise<std::string> opened);  // prepare()'s thread
  std::shared_ptr<Sound> kept(const FileKey& key);
  void keep(const FileKey& key, std::shared_ptr<Sound> sound);
  void takeArrivals();
  Device* find(uint32_t id);
  // Ends what plays on a channel / on the synthesiser; a pending notice gets `code`.
  void haltChannel(int channel, uint32_t code);
  void haltMusic(uint32_t code);
  void playWave(uint32_t id, Device& d, bool notify);
  void playMidi(uint32_t id, Device& d, bool notify);
  void failPlay(uint32_t id, bool notify, std::string why);
  // Queues a notice; the caller holds mutex_. Returns the wakeup (possibly
  // empty) to run once the lock is released.
  std::shared_ptr<std::function<void()>> queueLocked(uint32_t code, uint32_t device);
  static void runWakeup(const std::shared_ptr<std::function<void()>>& w);

  // Audio thread entry points (SDL_mixer hooks).
  static void onChannelFinished(int channel);
  static void onMusicFinished();
  static void onPostMix(void* self, uint8_t* stream, int len);
  void channelFinished(int channel);
  void musicFinished();
  void musicClock(size_t frames);

  // Main-thread state; while preparing_ is not settled, prepare()'s thread
  // opens the audio and sets the audio's part of it.
  bool audioOpen_ = false;
  bool fallbackDriver_ = false;
  std::string lastError_;
  uint32_t nextId_ = 1;
  std::map<uint32_t, std::unique_ptr<Device>> devices_;
  std::vector<int> freeChannels_;
  int allocatedChannels_ = 0;
  uint32_t musicOwner_ = 0;  // device whose music was last handed to the mixer
  NoticeHandler handler_;
  int mixRate_ = 44100;
  int mixChannels_ = 2;
  std::list<Kept> kept_;  // least recently opened first

  // prepare()'s thread: its attempt's outcome ("" or why it failed), then
  // the files preload() asks for, which it hands back as arrivals_.
  std::thread worker_;
  std::future<std::string> preparing_;
  std::mutex workMutex_;
  std::condition_variable workWanted_;
  std::deque<std::string> toLoad_;
  std::vector<Kept> arrivals_;
  bool stopWork_ = false;

  std::mutex tapMutex_;
  MixTap tap_;

  // Shared with the audio thread.
  mutable std::mutex mutex_;
  std::vector<Playing> channelPlaying_;
  Playing musicPlaying_;
  uint64_t musicFrames_ = 0;    // mixed since the playing song started
  uint64_t musicEndFrame_ = 0;  // when its end is reported
  std::deque<Notice> queue_;
  std::shared_ptr<std::function<void()>> wakeup_;
};

}  // namespace jinro
