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

struct SdlLibrary {
  decltype(&::SDL_SetHint) SDL_SetHint;
  decltype(&::SDL_InitSubSystem) SDL_InitSubSystem;
  decltype(&::SDL_QuitSubSystem) SDL_QuitSubSystem;
  decltype(&::SDL_GetError) SDL_GetError;
  decltype(&::SDL_GetCurrentAudioDriver) SDL_GetCurrentAudioDriver;
  decltype(&::SDL_RWFromConstMem) SDL_RWFromConstMem;
  decltype(&::SDL_realloc) SDL_realloc;
  decltype(&::SDL_TLSCleanup) SDL_TLSCleanup;
  decltype(&::Mix_Init) Mix_Init;
  decltype(&::Mix_Quit) Mix_Quit;
  decltype(&::Mix_OpenAudio) Mix_OpenAudio;
  decltype(&::Mix_CloseAudio) Mix_CloseAudio;
  decltype(&::Mix_QuerySpec) Mix_QuerySpec;
  decltype(&::Mix_SetSoundFonts) Mix_SetSoundFonts;
  decltype(&::Mix_AllocateChannels) Mix_AllocateChannels;
  decltype(&::Mix_ChannelFinished) Mix_ChannelFinished;
  decltype(&::Mix_HookMusicFinished) Mix_HookMusicFinished;
  decltype(&::Mix_SetPostMix) Mix_SetPostMix;
  decltype(&::Mix_LoadWAV_RW) Mix_LoadWAV_RW;
  decltype(&::Mix_LoadMUSType_RW) Mix_LoadMUSType_RW;
  decltype(&::Mix_FreeChunk) Mix_FreeChunk;
  decltype(&::Mix_FreeMusic) Mix_FreeMusic;
  decltype(&::Mix_PlayChannel) Mix_PlayChannel;
  decltype(&::Mix_PlayMusic) Mix_PlayMusic;
  decltype(&::Mix_HaltChannel) Mix_HaltChannel;
  decltype(&::Mix_HaltMusic) Mix_HaltMusic;
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
