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
#define JINRO_FIND(library, name) find(library, #name, l.name);
  JINRO_SDL_FUNCTIONS(JINRO_FIND)
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
