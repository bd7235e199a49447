// Opening SDL when the sound is first needed: what a missing or unfit library
// tells the player, and the one SDL the process shares.
#include "backends/sdl/sdl_library.h"

#include <gtest/gtest.h>

namespace jinro {
namespace {

TEST(SdlLibrary, OpensOnceOrTellsWhatIsMissing) {
  const Result<SdlLibrary> absent = openSdlLibrary(kSdlLibraryName, "libSDL2_mixer-no-such-version.so.9");
  ASSERT_FALSE(absent);
  EXPECT_NE(absent.error().find("the sound library cannot be opened: libSDL2_mixer-no-such-version.so.9"),
            std::string::npos)
      << absent.error();
  // SDL without its mixer: the first mixer function is named.
  const Result<SdlLibrary> unfit = openSdlLibrary(kSdlLibraryName, kSdlLibraryName);
  ASSERT_FALSE(unfit);
  EXPECT_EQ(unfit.error(), "the sound library is too old: it has no Mix_Init");

  const Result<const SdlLibrary*> first = loadSdlLibrary();
  ASSERT_TRUE(first) << first.error();
  EXPECT_EQ(*loadSdlLibrary(), *first);
  EXPECT_EQ(&sdl(), *first);
}

}  // namespace
}  // namespace jinro
