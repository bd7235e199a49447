#include "backends/sdl/sdl_library.h"

#include <dlfcn.h>

#include <atomic>
#include <mutex>
#include <string>

namespace jinro {
namespace {

struct Loaded {
  std::once_flag once;
  Result<SdlLibrary> library = fail("not opened");
  std::atomic<bool> ok{false};
};

Loaded& loaded() {
  static Loaded l;
  return l;
}

std::string loaderError() {
  const char* e = dlerror();
  return e ? e : "unknown error";
}

}  // namespace

Result<SdlLibrary> openSdlLibrary(const char* sdlName, const char* mixerName) {
  void* base = dlopen(sdlName, RTLD_NOW | RTLD_LOCAL);
  if (!base) return fail("the sound library cannot be opened: " + loaderError());
  void* mixer = dlopen(mixerName, RTLD_NOW | RTLD_LOCAL);
  if (!mixer) {
    std::string why = loaderError();
    dlclose(base);
    return fail("the sound library cannot be opened: " + why);
  }
  SdlLibrary l{};
  std::string missing;
  auto find = [&missing](void* library, const char* name, auto& function) {
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
    if (!function && missing.empty()) missing = name;
  };
#define JINRO_FIND(library, name) find(library, #name, l.name)
  JINRO_FIND(base, SDL_SetHint);
  JINRO_FIND(base, SDL_InitSubSystem);
  JINRO_FIND(base, SDL_QuitSubSystem);
  JINRO_FIND(base, SDL_GetError);
  JINRO_FIND(base, SDL_GetCurrentAudioDriver);
  JINRO_FIND(base, SDL_RWFromConstMem);
  JINRO_FIND(base, SDL_realloc);
  JINRO_FIND(base, SDL_TLSCleanup);
  JINRO_FIND(mixer, Mix_Init);
  JINRO_FIND(mixer, Mix_Quit);
  JINRO_FIND(mixer, Mix_OpenAudio);
  JINRO_FIND(mixer, Mix_CloseAudio);
  JINRO_FIND(mixer, Mix_QuerySpec);
  JINRO_FIND(mixer, Mix_SetSoundFonts);
  JINRO_FIND(mixer, Mix_AllocateChannels);
  JINRO_FIND(mixer, Mix_ChannelFinished);
  JINRO_FIND(mixer, Mix_HookMusicFinished);
  JINRO_FIND(mixer, Mix_SetPostMix);
  JINRO_FIND(mixer, Mix_LoadWAV_RW);
  JINRO_FIND(mixer, Mix_LoadMUSType_RW);
  JINRO_FIND(mixer, Mix_FreeChunk);
  JINRO_FIND(mixer, Mix_FreeMusic);
  JINRO_FIND(mixer, Mix_PlayChannel);
  JINRO_FIND(mixer, Mix_PlayMusic);
  JINRO_FIND(mixer, Mix_HaltChannel);
  JINRO_FIND(mixer, Mix_HaltMusic);
#undef JINRO_FIND
  if (!missing.empty()) {
    dlclose(mixer);
    dlclose(base);
    return fail(std::string("the sound library is too old: it has no ") + missing);
  }
  return l;
}

Result<const SdlLibrary*> loadSdlLibrary() {
  Loaded& l = loaded();
  std::call_once(l.once, [&l] {
    l.library = openSdlLibrary(kSdlLibraryName, kSdlMixerLibraryName);
    l.ok.store(bool(l.library));
  });
  if (!l.library) return fail(l.library.error());
  return &*l.library;
}

const SdlLibrary& sdl() { return *loaded().library; }

void releaseSdlThreadState() {
  if (loaded().ok.load()) sdl().SDL_TLSCleanup();
}

}  // namespace jinro
