#include "backends/sdl/sound_cache.h"

#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "backends/sdl/sdl_library.h"
#include "backends/sdl/sound_file.h"

namespace jinro {

std::optional<FileKey> fileKey(const std::string& path) {
  struct stat st {};
  if (path.empty()) return std::nullopt;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) return std::nullopt;
    const std::optional<std::string> shiftJis = soundfile::utf8PathAsShiftJis(path);
    if (!shiftJis || ::stat(shiftJis->c_str(), &st) != 0) return std::nullopt;
  }
  if (!S_ISREG(st.st_mode) || st.st_size <= 0 || uint64_t(st.st_size) > kMaxSoundFileBytes) return std::nullopt;
  FileKey key;
  key.dev = uint64_t(st.st_dev);
  key.ino = uint64_t(st.st_ino);
  key.size = uint64_t(st.st_size);
  key.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  key.ctimeNs = int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return key;
}

SoundCache::~SoundCache() { stopPreloader(); }

std::shared_ptr<MixerSound> SoundCache::find(const FileKey& key) {
  takeArrivals();
  for (auto it = kept_.begin(); it != kept_.end(); ++it) {
    if (it->key == key) {
      kept_.splice(kept_.end(), kept_, it);  // now the most recently opened
      return kept_.back().sound;
    }
  }
  return nullptr;
}

void SoundCache::keep(const FileKey& key, std::shared_ptr<MixerSound> sound) {
  for (const Kept& k : kept_) {
    if (k.key == key) return;
  }
  kept_.push_back(Kept{key, std::move(sound)});
  auto bytes = [this] {
    size_t n = 0;
    for (const Kept& k : kept_) n += k.sound->bytes();
    return n;
  };
  while (!kept_.empty() && (kept_.size() > kMaxKeptSounds || bytes() > kKeptSoundBytes)) kept_.pop_front();
}

void SoundCache::clear() {
  {
    std::lock_guard lock(workMutex_);
    arrivals_.clear();
  }
  ready_.clear();
  kept_.clear();
}

void SoundCache::takeArrivals() {
  std::vector<Kept> arrived;
  {
    std::lock_guard lock(workMutex_);
    arrived.swap(arrivals_);
  }
  for (Kept& k : arrived) {
    // The song asked for while the preloader was already building it.
    if (k.sound->midi() && takeWantedSong(k.key)) k.sound->readyNext();
    if (k.sound->holdsSynth()) ready_.give(k.sound);
    keep(k.key, std::move(k.sound));
  }
}

bool SoundCache::takeWantedSong(const FileKey& key) {
  std::lock_guard lock(workMutex_);
  if (wantedSong_ != key) return false;
  wantedSong_.reset();
  return true;
}

void SoundCache::readySong(const std::string& path) {
  const std::optional<FileKey> key = fileKey(path);
  if (!key) return;
  takeArrivals();
  for (const Kept& k : kept_) {
    if (k.key != *key) continue;
    if (k.sound->midi()) {
      k.sound->readyNext();
      ready_.give(k.sound);
    }
    return;
  }
  std::lock_guard lock(workMutex_);
  wantedSong_ = key;
}

std::future<Result<void>> SoundCache::startPreloader(std::function<Result<void>()> startUp) {
  if (worker_.joinable()) return {};
  std::promise<Result<void>> outcome;
  std::future<Result<void>> told = outcome.get_future();
  try {
    worker_ = std::thread(&SoundCache::work, this, std::move(startUp), std::move(outcome));
  } catch (const std::system_error&) {
    return {};  // no thread to spare
  }
  return told;
}

void SoundCache::stopPreloader() {
  if (!worker_.joinable()) return;
  {
    std::lock_guard lock(workMutex_);
    stopWork_ = true;
  }
  workWanted_.notify_all();
  worker_.join();
}

void SoundCache::preload(const std::vector<std::string>& paths) {
  if (!worker_.joinable()) return;
  std::vector<std::string> wanted;
  for (const std::string& path : paths) {
    const std::optional<FileKey> key = fileKey(path);
    if (!key) continue;
    bool known = false;
    for (const Kept& k : kept_) known = known || k.key == *key;
    if (!known) wanted.push_back(path);
  }
  if (wanted.empty()) return;
  {
    std::lock_guard lock(workMutex_);
    for (std::string& path : wanted) toLoad_.push_back(std::move(path));
  }
  workWanted_.notify_one();
}

void SoundCache::work(std::function<Result<void>()> startUp, std::promise<Result<void>> outcome) {
  // This is work ahead of time: on a machine of few cores it gives way to
  // the browser starting beside it. The synthesiser's threads inherit it.
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
  Result<void> started = startUp();
  const bool ok = bool(started);
  outcome.set_value(std::move(started));
  while (ok) {
    std::string path;
    {
      std::unique_lock lock(workMutex_);
      workWanted_.wait(lock, [this] { return stopWork_ || !toLoad_.empty(); });
      if (stopWork_) break;
      path = std::move(toLoad_.front());
      toLoad_.pop_front();
    }
    const std::optional<FileKey> key = fileKey(path);
    if (!key) continue;
    Result<CheckedFile> file = readChecked(path, std::nullopt);
    if (!file) continue;
    const bool loadSynth = !file->smf.empty() && takeWantedSong(*key);
    Result<std::shared_ptr<MixerSound>> sound = MixerSound::make(path, std::move(*file), loadSynth);
    if (!sound) continue;
    bool batchBuilt = false;
    {
      std::lock_guard lock(workMutex_);
      arrivals_.push_back(Kept{*key, std::move(*sound)});
      batchBuilt = toLoad_.empty();
    }
    // What the decoders and the synthesiser's warm-up freed goes back to the
    // system rather than staying in the arenas as the process's own memory.
    if (batchBuilt) malloc_trim(0);
  }
  releaseSdlThreadState();
}

}  // namespace jinro
