#pragma once
// The speeches of a game page, one per line, as the clipboard gets them.
#include <string>
#include <string_view>

#include "settings/settings.h"

namespace jinro {

enum class SpeechCopyResult { notGamePage, markersMissing, copied };

// The clipboard text of a page (Shift_JIS, lines ended by "\r\n") in out,
// when the result is copied; the page is read in the dialect it shows among
// those the choice allows.
SpeechCopyResult speechText(std::string_view pageText, bool reverseRows, std::string& out,
                            ServerKind choice = ServerKind::automatic);

}  // namespace jinro
