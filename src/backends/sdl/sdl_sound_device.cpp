#include "backends/sdl/sdl_sound_device.h"

#include "backends/sdl/sdl_library.h"

#include "base/trace.h"

#include <utility>

namespace jinro {

SdlSoundDevice::SdlSoundDevice() = default;

SdlSoundDevice::~SdlSoundDevice() {
  cache_.stopPreloader();
  preparing_ = {};
  if (!output_.isOpen()) return;
  sdl().Mix_SetPostMix(nullptr, nullptr);
  // Every sound goes before the audio closes: devices, then the kept ones
  // and the synthesisers let go of.
  devices_.detach();
  cache_.clear();
  output_.close();
}

void SdlSoundDevice::prepare() {
  if (cache_.preloaderStarted() || output_.isOpen()) return;
  // Without a thread to spare the future stays invalid: the first open opens
  // the audio, as without prepare().
  preparing_ = cache_.startPreloader([this]() -> Result<void> {
    Result<void> opened = openAudio();
    // Before the outcome is told: the main thread loads no synthesiser while
    // FluidSynth sets itself up.
    if (opened) warmUpSynthesiser();
    return opened;
  });
  cache_.preload(waitingForPrepare_);
  waitingForPrepare_.clear();
  if (!songWaitingForPrepare_.empty()) cache_.readySong(std::exchange(songWaitingForPrepare_, {}));
}

void SdlSoundDevice::preload(const std::vector<std::string>& paths) {
  // Asked before prepare(): the files wait for it (the latest list only,
  // as the settings name them now). After an open made the output without
  // prepare(), nothing is built ahead.
  if (!cache_.preloaderStarted() && !output_.isOpen()) {
    waitingForPrepare_ = paths;
    return;
  }
  cache_.preload(paths);
}

void SdlSoundDevice::readySong(const std::string& path) {
  if (!cache_.preloaderStarted() && !output_.isOpen()) {
    songWaitingForPrepare_ = path;
    return;
  }
  cache_.readySong(path);
}

void SdlSoundDevice::waitForPreparation() const {
  if (preparing_.valid()) preparing_.wait();
}

Result<void> SdlSoundDevice::ensureAudio() {
  if (preparing_.valid()) {
    // prepare()'s attempt: its reason goes to this open, and the future is
    // spent, so that the next open tries again by itself.
    Result<void> prepared = preparing_.get();
    if (!output_.isOpen()) return prepared;
  }
  return openAudio();
}

Result<void> SdlSoundDevice::openAudio() {
  if (output_.isOpen()) return {};
  if (Result<void> opened = output_.open(); !opened) return opened;
  devices_.attach(output_.rate());
  sdl().Mix_SetPostMix(&SdlSoundDevice::onPostMix, this);
  return {};
}

std::string SdlSoundDevice::audioDriver() const {
  waitForPreparation();
  return output_.driver();
}

bool SdlSoundDevice::usingFallbackDriver() const {
  waitForPreparation();
  return output_.usingFallbackDriver();
}

Result<SoundId> SdlSoundDevice::open(SoundKind device, const std::string& path) {
  const bool wantMidi = device == SoundKind::midi;

  // The identity is taken before the file is read: a file changed meanwhile
  // is kept as its newer content under its older identity, and read again.
  const std::optional<FileKey> key = fileKey(path);
  std::shared_ptr<MixerSound> sound = key ? cache_.find(*key) : nullptr;
  if (sound) {
    if (sound->midi() != wantMidi) return fail(wrongDevice(path, sound->kind(), device));
    if (Result<void> ready = ensureAudio(); !ready) return fail(ready.error());
    // A kept MIDI file without a ready synthesiser (another one holds it)
    // loads one now, as a file opened afresh does.
    if (Result<void> synth = sound->ensureSynth(path); !synth) return fail(synth.error());
  } else {
    Result<CheckedFile> file = readChecked(path, device);
    if (!file) return fail(file.error());
    if (Result<void> ready = ensureAudio(); !ready) return fail(ready.error());
    // Opened to be played: a MIDI file's synthesiser is loaded now, so that
    // a file it cannot play fails here with the reason.
    Result<std::shared_ptr<MixerSound>> made = MixerSound::make(path, std::move(*file), true);
    if (!made) return fail(made.error());
    sound = std::move(*made);
    if (key) cache_.keep(*key, sound);
  }
  if (sound->holdsSynth()) cache_.readySynth().give(sound);
  return devices_.add(std::move(sound));
}

void SdlSoundDevice::play(SoundId sound, bool notify) { devices_.play(sound, notify); }

void SdlSoundDevice::stop(SoundId sound) { devices_.stop(sound); }

void SdlSoundDevice::close(SoundId sound) { devices_.close(sound); }

void SdlSoundDevice::setEndHandler(EndHandler handler) { notices_.setHandler(std::move(handler)); }

size_t SdlSoundDevice::pumpNotices() { return notices_.pump(); }

bool SdlSoundDevice::hasPendingNotices() const { return notices_.hasPending(); }

void SdlSoundDevice::setWakeup(std::function<void()> wakeup) { notices_.setWakeup(std::move(wakeup)); }

void SdlSoundDevice::setMixTap(MixTap tap) {
  std::lock_guard lock(tapMutex_);
  tap_ = std::move(tap);
}

// Audio thread: every buffer the mixer produces drives the MIDI clock, the
// trace's first-sound mark and the test tap.
void SdlSoundDevice::onPostMix(void* self, uint8_t* stream, int len) {
  auto* dev = static_cast<SdlSoundDevice*>(self);
  if (len <= 0) return;
  const size_t samples = size_t(len) / sizeof(int16_t);
  dev->devices_.musicClock(samples / size_t(dev->output_.channels()));
  traceFirstSound(reinterpret_cast<const int16_t*>(stream), samples);
  std::lock_guard lock(dev->tapMutex_);
  if (dev->tap_) dev->tap_(reinterpret_cast<const int16_t*>(stream), samples);
}

}  // namespace jinro
