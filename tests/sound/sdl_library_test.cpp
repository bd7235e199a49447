// Opening SDL when the sound is first needed: what a missing or unfit library
// tells the player, and the one SDL the process shares.
#include "backends/sdl/sdl_library.h"

#include <gtest/gtest.h>

namespace jinro {
namespace {

TEST(SdlLibrary, ReasonsNameWhatIsMissing) {
  const Result<SdlLibrary> absent = openSdlLibrary(kSdlLibraryName, "libSDL2_mixer-no-such-version.so.9");
  ASSERT_FALSE(absent);
  EXPECT_NE(absent.error().find("the sound library cannot be opened"), std::string::npos) << absent.error();
  EXPECT_NE(absent.error().find("libSDL2_mixer-no-such-version.so.9"), std::string::npos) << absent.error();

  // SDL without its mixer: the first mixer function is named.
  const Result<SdlLibrary> unfit = openSdlLibrary(kSdlLibraryName, kSdlLibraryName);
  ASSERT_FALSE(unfit);
  EXPECT_EQ(unfit.error(), "the sound library is too old: it has no Mix_Init");
}

TEST(SdlLibrary, OneSdlForTheProcess) {
  const Result<const SdlLibrary*> first = loadSdlLibrary();
  ASSERT_TRUE(first) << first.error();
  const Result<const SdlLibrary*> again = loadSdlLibrary();
  ASSERT_TRUE(again);
  EXPECT_EQ(*first, *again);
  EXPECT_EQ(&sdl(), *first);
  // The system's loader hands out the same library to a second opening.
  const Result<SdlLibrary> opened = openSdlLibrary(kSdlLibraryName, kSdlMixerLibraryName);
  ASSERT_TRUE(opened) << opened.error();
  EXPECT_EQ(opened->Mix_OpenAudio, sdl().Mix_OpenAudio);
}

}  // namespace
}  // namespace jinro
