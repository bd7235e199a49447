#include "backends/sdl/audio_output.h"

#include "backends/sdl/sdl_library.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace jinro {
namespace {

// The output that holds SDL's audio, so that a second one is refused.
std::atomic<const AudioOutput*> gHolder{nullptr};

constexpr int kMixRate = 44100;  // FluidSynth's own rate: no resampling of MIDI
constexpr int kMixChunk = 1024;

bool environmentSets(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

Result<void> tryOpen(const char* driver) {
  if (driver) sdl().SDL_SetHint(SDL_HINT_AUDIODRIVER, driver);
  if (sdl().SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return fail(sdl().SDL_GetError());
  if (sdl().Mix_OpenAudio(kMixRate, AUDIO_S16SYS, 2, kMixChunk) != 0) {
    Result<void> failed = fail(sdl().SDL_GetError());
    sdl().SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return failed;
  }
  return {};
}

void chooseSoundFont() {
  if (environmentSets("SDL_SOUNDFONTS")) return;
  for (const char* f : kSoundFontCandidates) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(f, ec)) {
      sdl().Mix_SetSoundFonts(f);
      return;
    }
  }
}

}  // namespace

AudioOutput::~AudioOutput() { close(); }

Result<void> AudioOutput::open() {
  if (open_) return {};
  if (Result<const SdlLibrary*> library = loadSdlLibrary(); !library)
    return fail("no audio output: " + library.error());
  const AudioOutput* none = nullptr;
  if (!gHolder.compare_exchange_strong(none, this))
    return fail("no audio output: another sound device of this program holds it");
  // Audio brings SDL's event part along, which would take SIGINT and SIGTERM
  // for itself (unless the environment says otherwise).
  sdl().SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  Result<void> opened = tryOpen(nullptr);
  if (!opened && !environmentSets("SDL_AUDIODRIVER")) {
    const Result<void> dummy = tryOpen("dummy");
    fallbackDriver_ = bool(dummy);
    opened = dummy ? Result<void>() : fail(opened.error() + "; dummy driver: " + dummy.error());
  }
  if (!opened) {
    gHolder.store(nullptr);
    return fail("no audio output: " + opened.error());
  }
  open_ = true;
  sdl().Mix_Init(MIX_INIT_MID | MIX_INIT_MP3);
  chooseSoundFont();
  int rate = 0, channels = 0;
  Uint16 format = 0;
  if (sdl().Mix_QuerySpec(&rate, &format, &channels) && rate > 0 && channels > 0) {
    rate_ = rate;
    channels_ = channels;
  }
  return {};
}

void AudioOutput::close() {
  if (!open_) return;
  sdl().Mix_CloseAudio();
  sdl().Mix_Quit();
  sdl().SDL_QuitSubSystem(SDL_INIT_AUDIO);
  open_ = false;
  gHolder.store(nullptr);
}

std::string AudioOutput::driver() const {
  if (!open_) return {};
  const char* d = sdl().SDL_GetCurrentAudioDriver();
  return d ? d : "";
}

}  // namespace jinro
