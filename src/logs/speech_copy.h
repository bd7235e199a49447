#pragma once
// The speeches of the game page, one per line, for the clipboard.
#include <string>
#include <string_view>

#include "app/client_controller.h"

namespace jinro {

enum class SpeechCopyResult { notGamePage, markersMissing, copied };

// The clipboard text of a page (Shift_JIS, lines ended by "\r\n") in out,
// when the result is copied.
SpeechCopyResult speechText(std::string_view pageText, bool reverseRows, std::string& out);

// Reads pageText and reverseRows and puts the text on the clipboard.
void copySpeeches(ClientController& c);

}  // namespace jinro
