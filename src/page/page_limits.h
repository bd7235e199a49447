#pragma once
// How much of a page and of its parts the client keeps. A page's text is at
// most 511,999 bytes (what a 512,000-byte area held, less its terminator);
// the refresh body and URLs at most 1,023; each login value and the title at
// most 255. Texts are cut on a character boundary, never mid-character.
#include <cstddef>

namespace jinro {

inline constexpr size_t kPageTextArea = 512000;
inline constexpr size_t kPageTextLimit = kPageTextArea - 1;
inline constexpr size_t kTextField = 1024;
inline constexpr size_t kPostBodyLimit = kTextField - 1;
inline constexpr size_t kUrlLimit = kTextField - 1;
inline constexpr size_t kLoginValueLimit = 255;
inline constexpr size_t kTitleLimit = 255;

}  // namespace jinro
