#pragma once
// The sounds kept after their devices close, for the next open of the same
// file, and the preloader that builds them before they are first opened.
//
// A file is the same while its device, inode, size, modification and change
// times are (FileKey), so a file written again is read again. At most
// kMaxKeptSounds files and about kKeptSoundBytes are kept, the least recently
// opened going first; a sound dropped from the cache lives on while a device
// plays it.
//
// The preloader is a thread of its own that first runs a start-up job (the
// sound device opens the audio output there) and, only when that succeeded,
// reads, checks and builds the files asked of it, one after another, at a low
// priority. MIDI files are built without a synthesiser, which weighs far
// more than the file: only the song named by readySong() gets one ahead of
// its first play; the others load theirs when first played. What it builds
// waits aside until the owner's thread looks a file up, and joins the cache
// then. Files that fail are simply not kept.
// Everything but the preloader's own thread runs on the owner's (main) thread.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "backends/sdl/mixer_sound.h"
#include "base/result.h"

namespace jinro {

inline constexpr size_t kMaxKeptSounds = 16;
// The decoded data kept (WAV and MP3 files at the mixer's 44.1 kHz stereo,
// 10 MB a minute); the one ready synthesiser comes on top.
inline constexpr size_t kKeptSoundBytes = 16u << 20;

// What tells one version of a file from another.
struct FileKey {
  uint64_t dev = 0, ino = 0, size = 0;
  int64_t mtimeNs = 0, ctimeNs = 0;
  bool operator==(const FileKey&) const = default;
};

// The file's identity as it is now; nothing when it is not a plain file that
// open could read (open then reads it and says why). Follows
// soundfile::readFile: a missing non-ASCII path is tried once more in
// Shift_JIS.
std::optional<FileKey> fileKey(const std::string& path);

class SoundCache {
 public:
  SoundCache() = default;
  ~SoundCache();  // stops the preloader
  SoundCache(const SoundCache&) = delete;
  SoundCache& operator=(const SoundCache&) = delete;

  // The kept sound of this version of a file, now the most recently opened;
  // nullptr when there is none.
  std::shared_ptr<MixerSound> find(const FileKey& key);
  // Keeps a sound (unless its key is kept already), dropping the least
  // recently opened ones beyond the limits.
  void keep(const FileKey& key, std::shared_ptr<MixerSound> sound);
  // Drops every sound, kept or waiting aside, and every synthesiser; before
  // the audio output closes.
  void clear();
  // Which sound holds the one ready synthesiser.
  ReadySynth& readySynth() { return ready_; }

  // Starts the preloader with its start-up job and returns at once; the
  // future tells how the job went. An invalid future when no thread could be
  // started, or when the preloader runs already.
  std::future<Result<void>> startPreloader(std::function<Result<void>()> startUp);
  bool preloaderStarted() const { return worker_.joinable(); }
  // Asks the preloader for the files not kept yet. Does nothing when it was
  // not started; its job having failed, it builds nothing.
  void preload(const std::vector<std::string>& paths);
  // The MIDI file likely to play next gets the one ready synthesiser: at once
  // when it is kept (loaded on a thread of its own), otherwise when the
  // preloader builds it. Nothing happens for a file that is not a MIDI file.
  void readySong(const std::string& path);
  // Waits for the file in hand, then ends the thread.
  void stopPreloader();

 private:
  struct Kept {
    FileKey key;
    std::shared_ptr<MixerSound> sound;
  };
  void work(std::function<Result<void>()> startUp, std::promise<Result<void>> outcome);
  void takeArrivals();
  // Whether this is the song readySong() waits for; it waits no more then.
  bool takeWantedSong(const FileKey& key);

  std::list<Kept> kept_;  // least recently opened first
  ReadySynth ready_;

  std::thread worker_;
  std::mutex workMutex_;
  std::condition_variable workWanted_;
  std::deque<std::string> toLoad_;  // guarded by workMutex_
  std::optional<FileKey> wantedSong_;  // guarded by workMutex_: readySong()'s, not built yet
  std::vector<Kept> arrivals_;      // guarded by workMutex_
  bool stopWork_ = false;           // guarded by workMutex_
};

}  // namespace jinro
