#include "backends/sdl/sdl_sound_device.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "backends/sdl/sound_file.h"
#include "base/code_page.h"
#include "base/trace.h"

namespace jinro {
namespace {

// The device whose hooks SDL_mixer calls. Set while its audio is open.
std::atomic<SdlSoundDevice*> gActive{nullptr};

constexpr int kMixRate = 44100;  // FluidSynth's own rate: no resampling of MIDI
constexpr int kMixChunk = 1024;
constexpr int kMaxChannels = 256;

// A song of no notes: loading it once makes FluidSynth set itself up and read
// the soundfont, so that the first real song loads as fast as later ones.
constexpr uint8_t kSilentSong[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                                   'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};

bool sameTypeName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string envValue(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

const char* kindName(soundfile::Kind k) {
  switch (k) {
    case soundfile::Kind::wave: return "a WAV file";
    case soundfile::Kind::mp3: return "an MP3 file";
    case soundfile::Kind::midi:
    case soundfile::Kind::rmid: return "a MIDI file";
    default: return "not a sound file";
  }
}

bool isMidiKind(soundfile::Kind k) { return k == soundfile::Kind::midi || k == soundfile::Kind::rmid; }

std::string wrongDevice(const std::string& path, soundfile::Kind kind, std::string_view deviceType, bool wantMidi) {
  return path + " is " + kindName(kind) + "; the " + std::string(deviceType) + " device plays " +
         (wantMidi ? "MIDI files only" : "WAV and MP3 files only");
}

// A file read and checked, not yet handed to the mixer.
struct CheckedFile {
  soundfile::Kind kind = soundfile::Kind::unknown;
  std::vector<uint8_t> bytes;  // WAV, MP3
  std::vector<uint8_t> smf;    // MIDI
  double seconds = 0;
};

// Reads and checks a file as open does, in the same order and with the same
// reasons; `deviceType` is checked against the file's kind unless empty.
bool readChecked(const std::string& path, std::string_view deviceType, bool wantMidi, CheckedFile& out,
                 std::string& why) {
  if (!soundfile::readFile(path, kMaxSoundFileBytes, out.bytes, why)) return false;
  out.kind = soundfile::sniff(out.bytes);
  if (out.kind == soundfile::Kind::unknown) {
    why = path + " is not a sound file this program plays (WAV, MP3 or MIDI)";
    return false;
  }
  if (!deviceType.empty() && isMidiKind(out.kind) != wantMidi) {
    why = wrongDevice(path, out.kind, deviceType, wantMidi);
    return false;
  }
  std::string reason;
  if (out.kind == soundfile::Kind::wave && !soundfile::checkWave(out.bytes, reason)) {
    why = path + ": " + reason;
    return false;
  }
  if (isMidiKind(out.kind)) {
    soundfile::MidiInfo info;
    if (!soundfile::checkMidi(out.bytes, info, reason)) {
      why = path + ": " + reason;
      return false;
    }
    out.smf = std::move(info.smf);
    out.seconds = info.seconds;
    out.bytes.clear();
  }
  return true;
}

}  // namespace

// One file's sound, shared by the devices open on it and kept for later ones.
struct SdlSoundDevice::Sound {
  soundfile::Kind kind = soundfile::Kind::unknown;
  bool midi = false;
  Mix_Chunk* chunk = nullptr;  // WAV, MP3: decoded for the mixer
  std::vector<uint8_t> smf;    // MIDI: the data, to load it afresh for each play
  double seconds = 0;          // when its last event is due
  // A MIDI stream that has played cannot be started from its beginning again
  // (the synthesiser resumes where it was halted), and loading one (a
  // synthesiser with its soundfont) takes a noticeable while: so a fresh one
  // is kept ready, loaded in the background after each start.
  Mix_Music* fresh = nullptr;       // loaded, never played
  std::future<Mix_Music*> loading;  // or on its way

  ~Sound() {
    if (loading.valid()) {
      if (Mix_Music* m = loading.get()) Mix_FreeMusic(m);
    }
    if (fresh) Mix_FreeMusic(fresh);
    if (chunk) Mix_FreeChunk(chunk);
  }
  size_t bytes() const { return midi ? smf.size() + kReadySynthBytes : chunk ? size_t(chunk->alen) : 0; }

  static Mix_Music* load(const std::vector<uint8_t>& smf) {
    return Mix_LoadMUSType_RW(SDL_RWFromConstMem(smf.data(), int(smf.size())), MUS_MID, 1);
  }
  // The ready stream, or nullptr when its load failed (load again to learn why).
  Mix_Music* take() {
    Mix_Music* m = fresh;
    fresh = nullptr;
    if (!m && loading.valid()) m = loading.get();
    return m;
  }
  void loadInBackground() {
    if (fresh || loading.valid()) return;
    const std::vector<uint8_t>* data = &smf;  // not changed while the sound lives
    loading = std::async(std::launch::async, [data] {
      Mix_Music* m = load(*data);
      SDL_TLSCleanup();  // SDL's per-thread error text, allocated by the load
      return m;
    });
  }

  // Hands a checked file to the mixer (the audio must be open). Any thread.
  static std::shared_ptr<Sound> make(const std::string& path, CheckedFile&& file, std::string& why) {
    auto s = std::make_shared<Sound>();
    s->kind = file.kind;
    s->midi = isMidiKind(file.kind);
    if (s->midi) {
      s->smf = std::move(file.smf);
      s->seconds = file.seconds;
      s->fresh = load(s->smf);
      if (!s->fresh) {
        why = path + ": the MIDI synthesiser cannot load it: " + Mix_GetError();
        return nullptr;
      }
    } else {
      s->chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(file.bytes.data(), int(file.bytes.size())), 1);
      if (!s->chunk) {
        why = path + ": " + Mix_GetError();
        return nullptr;
      }
    }
    return s;
  }
};

struct SdlSoundDevice::Device {
  std::shared_ptr<Sound> sound;
  bool midi = false;
  int channel = -1;
  Mix_Music* played = nullptr;  // the stream last handed to the mixer

  ~Device() {
    if (played) Mix_FreeMusic(played);
  }
};

// Follows readFile: a missing non-ASCII path is tried once more as Shift_JIS
// converted to UTF-8.
bool SdlSoundDevice::fileKey(const std::string& path, FileKey& key) {
  struct stat st {};
  if (path.empty()) return false;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) return false;
    bool ascii = true;
    for (unsigned char c : path) ascii = ascii && c < 0x80;
    if (ascii) return false;
    const std::string utf8 = shiftJisToUtf8(path);
    if (utf8 == path || ::stat(utf8.c_str(), &st) != 0) return false;
  }
  if (!S_ISREG(st.st_mode) || st.st_size <= 0 || uint64_t(st.st_size) > kMaxSoundFileBytes) return false;
  key.dev = uint64_t(st.st_dev);
  key.ino = uint64_t(st.st_ino);
  key.size = uint64_t(st.st_size);
  key.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  key.ctimeNs = int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return true;
}

SdlSoundDevice::SdlSoundDevice() = default;

SdlSoundDevice::~SdlSoundDevice() {
  if (worker_.joinable()) {
    {
      std::lock_guard lock(workMutex_);
      stopWork_ = true;
    }
    workWanted_.notify_all();
    worker_.join();
  }
  preparing_ = {};
  if (!audioOpen_) return;
  Mix_ChannelFinished(nullptr);
  Mix_HookMusicFinished(nullptr);
  Mix_SetPostMix(nullptr, nullptr);
  Mix_HaltChannel(-1);
  Mix_HaltMusic();
  // Every sound goes before the audio closes: devices, then the kept ones.
  devices_.clear();
  arrivals_.clear();
  kept_.clear();
  Mix_CloseAudio();
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  gActive.store(nullptr);
}

void SdlSoundDevice::prepare() {
  if (worker_.joinable() || audioOpen_) return;
  std::promise<std::string> opened;
  preparing_ = opened.get_future();
  try {
    worker_ = std::thread(&SdlSoundDevice::work, this, std::move(opened));
  } catch (const std::system_error&) {
    preparing_ = {};  // no thread to spare: the first open opens the audio, as without prepare()
  }
}

void SdlSoundDevice::work(std::promise<std::string> opened) {
  // This is work ahead of time: on a machine of few cores it gives way to
  // the browser starting beside it. The synthesiser's threads inherit it.
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
  std::string why;
  const bool ok = openAudio(why);
  if (ok) {
    // Before the outcome is told: the main thread loads no synthesiser while
    // FluidSynth sets itself up.
    if (Mix_Music* m = Mix_LoadMUSType_RW(SDL_RWFromConstMem(kSilentSong, int(sizeof kSilentSong)), MUS_MID, 1))
      Mix_FreeMusic(m);
  }
  opened.set_value(why);
  while (ok) {
    std::string path;
    {
      std::unique_lock lock(workMutex_);
      workWanted_.wait(lock, [this] { return stopWork_ || !toLoad_.empty(); });
      if (stopWork_) break;
      path = std::move(toLoad_.front());
      toLoad_.pop_front();
    }
    Kept k;
    CheckedFile file;
    std::string ignored;
    if (!fileKey(path, k.key) || !readChecked(path, {}, false, file, ignored)) continue;
    k.sound = Sound::make(path, std::move(file), ignored);
    if (!k.sound) continue;
    std::lock_guard lock(workMutex_);
    arrivals_.push_back(std::move(k));
  }
  SDL_TLSCleanup();
}

void SdlSoundDevice::preload(const std::vector<std::string>& paths) {
  if (!worker_.joinable()) return;
  std::vector<std::string> wanted;
  for (const std::string& path : paths) {
    FileKey key;
    if (!fileKey(path, key)) continue;
    bool known = false;
    for (const Kept& k : kept_) known = known || k.key == key;
    if (!known) wanted.push_back(path);
  }
  if (wanted.empty()) return;
  {
    std::lock_guard lock(workMutex_);
    toLoad_.insert(toLoad_.end(), wanted.begin(), wanted.end());
  }
  workWanted_.notify_one();
}

void SdlSoundDevice::waitForPreparation() const {
  if (preparing_.valid()) preparing_.wait();
}

std::shared_ptr<SdlSoundDevice::Sound> SdlSoundDevice::kept(const FileKey& key) {
  for (auto it = kept_.begin(); it != kept_.end(); ++it) {
    if (it->key == key) {
      kept_.splice(kept_.end(), kept_, it);  // now the most recently opened
      return kept_.back().sound;
    }
  }
  return nullptr;
}

void SdlSoundDevice::keep(const FileKey& key, std::shared_ptr<Sound> sound) {
  for (const Kept& k : kept_) {
    if (k.key == key) return;
  }
  kept_.push_back(Kept{key, std::move(sound)});
  // A sound dropped here lives on while a device plays it.
  auto bytes = [this] {
    size_t n = 0;
    for (const Kept& k : kept_) n += k.sound->bytes();
    return n;
  };
  while (!kept_.empty() && (kept_.size() > kMaxKeptSounds || bytes() > kKeptSoundBytes)) kept_.pop_front();
}

void SdlSoundDevice::takeArrivals() {
  std::vector<Kept> arrived;
  {
    std::lock_guard lock(workMutex_);
    arrived.swap(arrivals_);
  }
  for (Kept& k : arrived) keep(k.key, std::move(k.sound));
}

bool SdlSoundDevice::tryOpenAudio(const char* driver, std::string& why) {
  if (driver) SDL_SetHint(SDL_HINT_AUDIODRIVER, driver);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    why = SDL_GetError();
    return false;
  }
  if (Mix_OpenAudio(kMixRate, AUDIO_S16SYS, 2, kMixChunk) != 0) {
    why = Mix_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  return true;
}

bool SdlSoundDevice::ensureAudio(std::string& why) {
  if (preparing_.valid()) {
    // prepare()'s attempt: its reason goes to this open, and the future is
    // spent, so that the next open tries again by itself.
    const std::string reason = preparing_.get();
    if (!audioOpen_) {
      why = reason;
      return false;
    }
  }
  return openAudio(why);
}

bool SdlSoundDevice::openAudio(std::string& why) {
  if (audioOpen_) return true;
  SdlSoundDevice* none = nullptr;
  if (!gActive.compare_exchange_strong(none, this)) {
    why = "no audio output: another sound device of this program holds it";
    return false;
  }
  // Audio brings SDL's event part along, which would take SIGINT and SIGTERM
  // for itself (unless the environment says otherwise).
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  std::string first;
  bool ok = tryOpenAudio(nullptr, first);
  if (!ok && envValue("SDL_AUDIODRIVER").empty()) {
    std::string second;
    ok = tryOpenAudio("dummy", second);
    fallbackDriver_ = ok;
    if (!ok) first += "; dummy driver: " + second;
  }
  if (!ok) {
    gActive.store(nullptr);
    why = "no audio output: " + first;
    return false;
  }
  audioOpen_ = true;
  Mix_Init(MIX_INIT_MID | MIX_INIT_MP3);
  if (envValue("SDL_SOUNDFONTS").empty()) {
    for (const char* f : kSoundFontCandidates) {
      std::error_code ec;
      if (std::filesystem::is_regular_file(f, ec)) {
        Mix_SetSoundFonts(f);
        break;
      }
    }
  }
  allocatedChannels_ = Mix_AllocateChannels(8);
  {
    std::lock_guard lock(mutex_);
    channelPlaying_.assign(size_t(allocatedChannels_), Playing{});
  }
  freeChannels_.clear();
  for (int ch = allocatedChannels_ - 1; ch >= 0; --ch) freeChannels_.push_back(ch);
  Mix_ChannelFinished(&SdlSoundDevice::onChannelFinished);
  Mix_HookMusicFinished(&SdlSoundDevice::onMusicFinished);
  int rate = 0, channels = 0;
  Uint16 format = 0;
  if (Mix_QuerySpec(&rate, &format, &channels) && rate > 0 && channels > 0) {
    mixRate_ = rate;
    mixChannels_ = channels;
  }
  Mix_SetPostMix(&SdlSoundDevice::onPostMix, this);
  return true;
}

std::string SdlSoundDevice::audioDriver() const {
  waitForPreparation();
  if (!audioOpen_) return {};
  const char* d = SDL_GetCurrentAudioDriver();
  return d ? d : "";
}

bool SdlSoundDevice::usingFallbackDriver() const {
  waitForPreparation();
  return fallbackDriver_;
}

SdlSoundDevice::Device* SdlSoundDevice::find(uint32_t id) {
  auto it = devices_.find(id);
  return it == devices_.end() ? nullptr : it->second.get();
}

uint32_t SdlSoundDevice::openDevice(std::string_view deviceType, const std::string& path) {
  lastError_.clear();
  const bool wantMidi = sameTypeName(deviceType, "Sequencer");
  if (!wantMidi && !sameTypeName(deviceType, "WaveAudio")) {
    lastError_ = "unknown device type \"" + std::string(deviceType) + "\"";
    return 0;
  }

  // The identity is taken before the file is read: a file changed meanwhile
  // is kept as its newer content under its older identity, and read again.
  takeArrivals();
  FileKey key;
  const bool known = fileKey(path, key);
  std::shared_ptr<Sound> sound = known ? kept(key) : nullptr;
  if (sound) {
    if (sound->midi != wantMidi) {
      lastError_ = wrongDevice(path, sound->kind, deviceType, wantMidi);
      return 0;
    }
    if (!ensureAudio(lastError_)) return 0;
  } else {
    CheckedFile file;
    if (!readChecked(path, deviceType, wantMidi, file, lastError_)) return 0;
    if (!ensureAudio(lastError_)) return 0;
    sound = Sound::make(path, std::move(file), lastError_);
    if (!sound) return 0;
    if (known) keep(key, sound);
  }

  auto d = std::make_unique<Device>();
  d->midi = sound->midi;
  d->sound = std::move(sound);
  if (!d->midi) {
    if (freeChannels_.empty()) {
      if (allocatedChannels_ >= kMaxChannels) {
        lastError_ = "too many sound devices are open";
        return 0;
      }
      const int more = std::min(kMaxChannels, allocatedChannels_ * 2);
      {
        std::lock_guard lock(mutex_);
        channelPlaying_.resize(size_t(more));
      }
      Mix_AllocateChannels(more);
      for (int ch = more - 1; ch >= allocatedChannels_; --ch) freeChannels_.push_back(ch);
      allocatedChannels_ = more;
    }
    d->channel = freeChannels_.back();
    freeChannels_.pop_back();
  }

  uint32_t id = nextId_++;
  if (nextId_ == 0) nextId_ = 1;
  devices_[id] = std::move(d);
  return id;
}

void SdlSoundDevice::seekToStart(uint32_t id) {
  // Stops the play; the next play starts at the beginning (as every play does).
  stop(id);
}

void SdlSoundDevice::play(uint32_t id, bool notify) {
  Device* d = find(id);
  if (!d) return;
  traceArmFirstSound();
  if (d->midi) {
    playMidi(id, *d, notify);
  } else {
    playWave(id, *d, notify);
  }
}

void SdlSoundDevice::playWave(uint32_t id, Device& d, bool notify) {
  std::shared_ptr<std::function<void()>> wake;
  bool continuing = false;
  {
    std::lock_guard lock(mutex_);
    Playing& p = channelPlaying_[size_t(d.channel)];
    if (p.device == id) {  // still sounding: it goes on, the new notice replaces the old
      if (p.notify) wake = queueLocked(kNotifySuperseded, id);
      p.notify = notify;
      continuing = true;
    }
  }
  runWakeup(wake);
  if (continuing) return;

  // Not sounding: start it from the beginning on the device's own channel.
  Mix_HaltChannel(d.channel);
  {
    std::lock_guard lock(mutex_);
    channelPlaying_[size_t(d.channel)] = Playing{id, notify};
  }
  if (Mix_PlayChannel(d.channel, d.sound->chunk, 0) < 0) failPlay(id, notify, Mix_GetError());
}

void SdlSoundDevice::playMidi(uint32_t id, Device& d, bool notify) {
  std::shared_ptr<std::function<void()>> wake;
  bool continuing = false;
  {
    std::lock_guard lock(mutex_);
    if (musicPlaying_.device == id) {
      if (musicPlaying_.notify) wake = queueLocked(kNotifySuperseded, id);
      musicPlaying_.notify = notify;
      continuing = true;
    }
  }
  runWakeup(wake);
  if (continuing) return;

  // Whatever holds the synthesiser stops (its notice is aborted).
  haltMusic(kNotifyAborted);
  Sound& sound = *d.sound;
  Mix_Music* next = sound.take();
  if (!next) next = Sound::load(sound.smf);
  if (d.played) Mix_FreeMusic(d.played);  // halted above, if it was sounding
  d.played = next;
  if (!next) {
    failPlay(id, notify, std::string("the MIDI synthesiser cannot load the file: ") + Mix_GetError());
    return;
  }
  sound.loadInBackground();
  musicOwner_ = id;
  {
    std::lock_guard lock(mutex_);
    musicPlaying_ = Playing{id, notify};
    musicFrames_ = 0;
    const double due = std::min(sound.seconds + kMidiEndGrace, 86400.0);
    musicEndFrame_ = uint64_t(due * mixRate_);
  }
  if (Mix_PlayMusic(d.played, 1) != 0) {
    {
      std::lock_guard lock(mutex_);
      if (musicPlaying_.device == id) musicPlaying_ = Playing{};
    }
    failPlay(id, notify, Mix_GetError());
  }
}

void SdlSoundDevice::failPlay(uint32_t id, bool notify, std::string why) {
  lastError_ = "cannot play: " + why;
  std::shared_ptr<std::function<void()>> wake;
  {
    std::lock_guard lock(mutex_);
    if (Device* d = find(id); d && !d->midi && channelPlaying_[size_t(d->channel)].device == id)
      channelPlaying_[size_t(d->channel)] = Playing{};
    if (notify) wake = queueLocked(kNotifyFailure, id);
  }
  runWakeup(wake);
}

void SdlSoundDevice::haltChannel(int channel, uint32_t code) {
  std::shared_ptr<std::function<void()>> wake;
  {
    std::lock_guard lock(mutex_);
    Playing& p = channelPlaying_[size_t(channel)];
    if (p.device != 0 && p.notify) wake = queueLocked(code, p.device);
    p = Playing{};
  }
  runWakeup(wake);
  // Its finished hook now finds nothing playing there and reports nothing.
  Mix_HaltChannel(channel);
}

void SdlSoundDevice::haltMusic(uint32_t code) {
  std::shared_ptr<std::function<void()>> wake;
  {
    std::lock_guard lock(mutex_);
    if (musicPlaying_.device != 0 && musicPlaying_.notify) wake = queueLocked(code, musicPlaying_.device);
    musicPlaying_ = Playing{};
  }
  runWakeup(wake);
  if (musicOwner_ != 0) {
    Mix_HaltMusic();
    musicOwner_ = 0;
  }
}

void SdlSoundDevice::stop(uint32_t id) {
  Device* d = find(id);
  if (!d) return;
  if (!d->midi) {
    haltChannel(d->channel, kNotifyAborted);
  } else if (musicOwner_ == id) {
    haltMusic(kNotifyAborted);
  }
}

void SdlSoundDevice::close(uint32_t id) {
  Device* d = find(id);
  if (!d) return;
  stop(id);
  if (!d->midi) freeChannels_.push_back(d->channel);
  if (musicOwner_ == id) musicOwner_ = 0;
  devices_.erase(id);  // its sound stays kept for the next open of the file
}

void SdlSoundDevice::setNoticeHandler(NoticeHandler handler) { handler_ = std::move(handler); }

void SdlSoundDevice::setEndHandler(EndHandler handler) {
  if (!handler) {
    handler_ = {};
    return;
  }
  handler_ = [handler = std::move(handler)](uint32_t code, uint32_t id) {
    handler(id, code == kNotifySuccessful ? PlayEnd::finished : PlayEnd::cutShort);
  };
}

Result<uint32_t> SdlSoundDevice::open(std::string_view deviceType, const std::string& path) {
  const uint32_t id = openDevice(deviceType, path);
  if (id == 0) return fail(lastError_.empty() ? std::string("the sound device gave no reason") : lastError_);
  return id;
}

void SdlSoundDevice::setWakeup(std::function<void()> wakeup) {
  auto w = wakeup ? std::make_shared<std::function<void()>>(std::move(wakeup)) : nullptr;
  std::lock_guard lock(mutex_);
  wakeup_ = std::move(w);
}

std::shared_ptr<std::function<void()>> SdlSoundDevice::queueLocked(uint32_t code, uint32_t device) {
  queue_.push_back(Notice{code, device});
  return wakeup_;  // may be empty; nothing is allocated here (audio thread)
}

void SdlSoundDevice::runWakeup(const std::shared_ptr<std::function<void()>>& w) {
  if (w && *w) (*w)();
}

size_t SdlSoundDevice::pumpNotices() {
  size_t pending;
  {
    std::lock_guard lock(mutex_);
    pending = queue_.size();
  }
  size_t delivered = 0;
  while (delivered < pending) {
    Notice n;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) break;
      n = queue_.front();
      queue_.pop_front();
    }
    ++delivered;
    if (handler_) {
      NoticeHandler h = handler_;  // the handler may replace itself
      h(n.code, n.device);
    }
  }
  return delivered;
}

bool SdlSoundDevice::hasPendingNotices() const {
  std::lock_guard lock(mutex_);
  return !queue_.empty();
}

void SdlSoundDevice::setMixTap(MixTap tap) {
  std::lock_guard lock(tapMutex_);
  tap_ = std::move(tap);
}

// --- audio thread ---------------------------------------------------------

void SdlSoundDevice::onChannelFinished(int channel) {
  if (SdlSoundDevice* self = gActive.load()) self->channelFinished(channel);
}

void SdlSoundDevice::onMusicFinished() {
  if (SdlSoundDevice* self = gActive.load()) self->musicFinished();
}

void SdlSoundDevice::onPostMix(void* self, uint8_t* stream, int len) {
  auto* dev = static_cast<SdlSoundDevice*>(self);
  if (len <= 0) return;
  const size_t samples = size_t(len) / sizeof(int16_t);
  dev->musicClock(samples / size_t(dev->mixChannels_));
  traceFirstSound(reinterpret_cast<const int16_t*>(stream), samples);
  std::lock_guard lock(dev->tapMutex_);
  if (dev->tap_) dev->tap_(reinterpret_cast<const int16_t*>(stream), samples);
}

// The synthesiser says a song has ended only when its last voice has died
// away, which for bells or timpani can be ten seconds after the last note.
// The song's end is when its last event is due: count the frames mixed since
// it started and report the end then (the tail may ring on until the next
// play).
void SdlSoundDevice::musicClock(size_t frames) {
  std::shared_ptr<std::function<void()>> wake;
  {
    std::lock_guard lock(mutex_);
    if (musicPlaying_.device == 0) return;
    musicFrames_ += frames;
    if (musicFrames_ < musicEndFrame_) return;
    if (musicPlaying_.notify) wake = queueLocked(kNotifySuccessful, musicPlaying_.device);
    musicPlaying_ = Playing{};
  }
  runWakeup(wake);
}

// Reached at a natural end only: every halt of ours empties the slot first.
void SdlSoundDevice::channelFinished(int channel) {
  std::shared_ptr<std::function<void()>> wake;
  {
    std::lock_guard lock(mutex_);
    if (channel < 0 || size_t(channel) >= channelPlaying_.size()) return;
    Playing& p = channelPlaying_[size_t(channel)];
    if (p.device != 0 && p.notify) wake = queueLocked(kNotifySuccessful, p.device);
    p = Playing{};
  }
  runWakeup(wake);
}

void SdlSoundDevice::musicFinished() {
  std::shared_ptr<std::function<void()>> wake;
  {
    std::lock_guard lock(mutex_);
    if (musicPlaying_.device != 0 && musicPlaying_.notify) wake = queueLocked(kNotifySuccessful, musicPlaying_.device);
    musicPlaying_ = Playing{};
  }
  runWakeup(wake);
}

}  // namespace jinro
