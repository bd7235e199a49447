#pragma once
// Reverses the top-level rows of the speech table and makes the page's
// relative links absolute under the server base URL.
#include <cstddef>
#include <string>

#include "page/page_limits.h"
#include "settings/settings.h"

namespace jinro {

inline constexpr size_t kRowLimit = 51199;

// Rewrites text in place, in the dialect the page shows among those the
// choice allows; returns its new length, or 0 (text unchanged) when it is no
// game page, a marker is missing, the table has no rows, the text is longer
// than 511,999 bytes, a row exceeds 51,199 bytes or the result would exceed
// 511,999 bytes.
size_t reverseRowsAndFixLinks(std::string& text, bool gameOver, ServerKind choice = ServerKind::automatic);

}  // namespace jinro
