#include "backends/sdl/mixer_sound.h"

#include "backends/sdl/sdl_library.h"

#include <chrono>

namespace jinro {
namespace {

// A song of no notes: loading it once makes FluidSynth set itself up and read
// the soundfont, so that the first real song loads as fast as later ones.
constexpr uint8_t kSilentSong[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                                   'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};

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

// A stream of this song with a synthesiser of its own; nullptr when it cannot load.
Mix_Music* loadSong(const uint8_t* data, size_t size) {
  return sdl().Mix_LoadMUSType_RW(sdl().SDL_RWFromConstMem(data, int(size)), MUS_MID, 1);
}

}  // namespace

std::string wrongDevice(const std::string& path, soundfile::Kind kind, SoundKind device) {
  const bool midi = device == SoundKind::midi;
  return path + " is " + kindName(kind) + "; the " + (midi ? "MIDI" : "WAV") + " device plays " +
         (midi ? "MIDI files only" : "WAV and MP3 files only");
}

Result<CheckedFile> readChecked(const std::string& path, std::optional<SoundKind> device) {
  Result<std::string> read = soundfile::readFile(path, kMaxSoundFileBytes);
  if (!read) return fail(read.error());
  CheckedFile out;
  out.bytes = std::move(*read);
  const soundfile::ByteSpan bytes = soundfile::bytesOf(out.bytes);
  out.kind = soundfile::sniff(bytes);
  if (out.kind == soundfile::Kind::unknown)
    return fail(path + " is not a sound file this program plays (WAV, MP3 or MIDI)");
  if (device && isMidiKind(out.kind) != (*device == SoundKind::midi))
    return fail(wrongDevice(path, out.kind, *device));
  if (out.kind == soundfile::Kind::wave) {
    if (Result<void> wave = soundfile::checkWave(bytes); !wave) return fail(path + ": " + wave.error());
  }
  if (isMidiKind(out.kind)) {
    Result<soundfile::MidiInfo> info = soundfile::checkMidi(bytes);
    if (!info) return fail(path + ": " + info.error());
    out.smf = std::move(info->smf);
    out.seconds = info->seconds;
    out.bytes.clear();
  }
  return out;
}

void warmUpSynthesiser() {
  if (Mix_Music* m = loadSong(kSilentSong, sizeof kSilentSong)) sdl().Mix_FreeMusic(m);
}

MixerSound::~MixerSound() {
  if (loading_.valid()) {
    if (Mix_Music* m = loading_.get()) sdl().Mix_FreeMusic(m);
  }
  if (fresh_) sdl().Mix_FreeMusic(fresh_);
  if (chunk_) sdl().Mix_FreeChunk(chunk_);
}

size_t MixerSound::bytes() const { return midi_ ? smf_.size() : chunk_ ? size_t(chunk_->alen) : 0; }

Mix_Music* MixerSound::load(const std::vector<uint8_t>& smf) {
  return loadSong(smf.data(), smf.size());
}

Result<Mix_Music*> MixerSound::takeStream() {
  Mix_Music* m = fresh_;
  fresh_ = nullptr;
  if (!m && loading_.valid()) m = loading_.get();
  // The background load failed: try once more here, so that SDL_GetError tells why.
  if (!m) m = load(smf_);
  if (!m) return fail(std::string("the MIDI synthesiser cannot load the song: ") + sdl().SDL_GetError());
  return m;
}

Result<void> MixerSound::ensureSynth(const std::string& path) {
  if (!midi_ || holdsSynth()) return {};
  fresh_ = load(smf_);
  if (!fresh_) return fail(path + ": the MIDI synthesiser cannot load it: " + sdl().SDL_GetError());
  return {};
}

std::future<Mix_Music*> MixerSound::dropSynth() {
  if (fresh_) sdl().Mix_FreeMusic(fresh_);
  fresh_ = nullptr;
  return std::move(loading_);
}

void MixerSound::readyNext() {
  if (fresh_ || loading_.valid()) return;
  const std::vector<uint8_t>* data = &smf_;  // not changed while the sound lives
  loading_ = std::async(std::launch::async, [data] {
    Mix_Music* m = load(*data);
    sdl().SDL_TLSCleanup();  // SDL's per-thread error text, allocated by the load
    return m;
  });
}

Result<std::shared_ptr<MixerSound>> MixerSound::make(const std::string& path, CheckedFile&& file, bool loadSynth) {
  auto s = std::make_shared<MixerSound>();
  s->kind_ = file.kind;
  s->midi_ = isMidiKind(file.kind);
  if (s->midi_) {
    s->smf_ = std::move(file.smf);
    s->seconds_ = file.seconds;
    if (loadSynth) {
      if (Result<void> loaded = s->ensureSynth(path); !loaded) return fail(loaded.error());
    }
  } else {
    s->chunk_ = sdl().Mix_LoadWAV_RW(sdl().SDL_RWFromConstMem(file.bytes.data(), int(file.bytes.size())), 1);
    if (!s->chunk_) return fail(path + ": " + sdl().SDL_GetError());
    // SDL converts into a buffer sized for the conversion's widest step
    // (four to eight times a 22 kHz mono file's data); the sound needs only
    // what came out.
    if (s->chunk_->allocated && s->chunk_->alen > 0) {
      void* fitted = sdl().SDL_realloc(s->chunk_->abuf, s->chunk_->alen);
      if (fitted) s->chunk_->abuf = static_cast<Uint8*>(fitted);
    }
  }
  return s;
}

void ReadySynth::give(const std::shared_ptr<MixerSound>& sound) {
  freeLoaded(false);
  const std::shared_ptr<MixerSound> before = holder_.lock();
  if (before == sound) return;
  if (before) {
    std::future<Mix_Music*> loading = before->dropSynth();
    if (loading.valid()) letGo_.push_back(std::move(loading));
  }
  holder_ = sound;
}

void ReadySynth::clear() {
  if (const std::shared_ptr<MixerSound> held = holder_.lock()) {
    std::future<Mix_Music*> loading = held->dropSynth();
    if (loading.valid()) letGo_.push_back(std::move(loading));
  }
  holder_.reset();
  freeLoaded(true);
}

void ReadySynth::freeLoaded(bool wait) {
  for (auto it = letGo_.begin(); it != letGo_.end();) {
    if (!wait && it->wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
      ++it;
      continue;
    }
    if (Mix_Music* m = it->get()) sdl().Mix_FreeMusic(m);
    it = letGo_.erase(it);
  }
}

}  // namespace jinro
