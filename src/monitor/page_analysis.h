#pragma once
// Turns the HTML of a completed page into the game's state: caption, login
// values and refresh body, the alarms, the log launch.
#include <string>
#include <string_view>

#include "app/client_controller.h"

namespace jinro {

void analysePage(ClientController& c, std::string_view pageText, std::string_view pageUrl);

// Victories, draw, vote and action, in that order; acts on the first found.
void checkPageEvents(ClientController& c, std::string_view pageText, bool previousPhaseNotNight);

// True when the night kind's three trigger texts say the page is night.
bool isNightPage(const ClientController& c, std::string_view pageText);

// The value of the named form control, at most 255 bytes, or "".
std::string extractFieldValue(std::string_view text, std::string_view controlName);

// Leading blanks, optional sign, digits; no digits give 0 (at most 255 bytes read).
long parseNumber(std::string_view text);

// The form data of every refresh, from the page and the login values.
std::string buildPostBody(const ClientController& c, std::string_view pageText);

}  // namespace jinro
