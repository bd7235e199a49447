#pragma once
// SDL2 and SDL2_mixer, opened when the sound is first needed rather than
// with the program. Linked in, they bring some forty libraries (FluidSynth,
// the codecs, the sound servers' clients) that the dynamic loader maps,
// relocates and initialises before main(), and that every later symbol
// lookup of the process walks past: about a tenth of the client's start to
// its first page (bench/README.md, "Start-up"). Opened here with
// RTLD_LOCAL, they stay out of the rest of the program's way.
//
// The sound backend calls SDL only through sdl(); nothing links SDL itself,
// so a direct call does not build.
#include <SDL.h>
#include <SDL_mixer.h>

#include "base/result.h"

namespace jinro {

// Every SDL function the backend calls, with the library that has it: one
// list for the table below and for its lookup.
#define JINRO_SDL_FUNCTIONS(X)                                                                    \
  X(base, SDL_SetHint) X(base, SDL_InitSubSystem) X(base, SDL_QuitSubSystem) X(base, SDL_GetError) \
  X(base, SDL_GetCurrentAudioDriver) X(base, SDL_RWFromConstMem) X(base, SDL_realloc)             \
  X(base, SDL_TLSCleanup) X(mixer, Mix_Init) X(mixer, Mix_Quit) X(mixer, Mix_OpenAudio)           \
  X(mixer, Mix_CloseAudio) X(mixer, Mix_QuerySpec) X(mixer, Mix_SetSoundFonts)                    \
  X(mixer, Mix_AllocateChannels) X(mixer, Mix_ChannelFinished) X(mixer, Mix_HookMusicFinished)    \
  X(mixer, Mix_SetPostMix) X(mixer, Mix_LoadWAV_RW) X(mixer, Mix_LoadMUSType_RW)                  \
  X(mixer, Mix_FreeChunk) X(mixer, Mix_FreeMusic) X(mixer, Mix_PlayChannel) X(mixer, Mix_PlayMusic) \
  X(mixer, Mix_HaltChannel) X(mixer, Mix_HaltMusic)

struct SdlLibrary {
#define JINRO_SDL_MEMBER(library, name) decltype(&::name) name = nullptr;
  JINRO_SDL_FUNCTIONS(JINRO_SDL_MEMBER)
#undef JINRO_SDL_MEMBER
};

// The libraries as the system's loader finds them by these names.
inline constexpr const char* kSdlLibraryName = "libSDL2-2.0.so.0";
inline constexpr const char* kSdlMixerLibraryName = "libSDL2_mixer-2.0.so.0";

// Opens the two libraries by name and finds every function above, or tells
// which one is missing. Each call opens them again (the loader counts).
Result<SdlLibrary> openSdlLibrary(const char* sdlName, const char* mixerName);

// The process's one SDL: opened at the first call, on any thread; later calls
// give the first call's outcome.
Result<const SdlLibrary*> loadSdlLibrary();

// The SDL that loadSdlLibrary() opened. Only for code that runs after it
// succeeded (the audio output is open, or was).
const SdlLibrary& sdl();

// Frees SDL's per-thread state (its error text) on a thread that is about to
// end; nothing to do when SDL was never opened.
void releaseSdlThreadState();

}  // namespace jinro
