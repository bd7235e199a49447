#pragma once
// The speeches of a game page, one per line, as the clipboard gets them.
#include <string>
#include <string_view>

namespace jinro {

enum class SpeechCopyResult { notGamePage, markersMissing, copied };

// The clipboard text of a page (Shift_JIS, lines ended by "\r\n") in out,
// when the result is copied.
SpeechCopyResult speechText(std::string_view pageText, bool reverseRows, std::string& out);

}  // namespace jinro
