#pragma once
// One speech of a game page as a line of the player's notes.
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings.h"

namespace jinro {

// The line of the speech row `rowHtml` (the row's HTML as the page holds it,
// Shift_JIS) written as speech copy writes it: the speaker, then the speech,
// without its line end. Nothing when the row is no speech of the page's
// speech table (another row, a notice without a speech, another page).
std::optional<std::string> speechQuoteLine(std::string_view pageText, std::string_view rowHtml,
                                           ServerKind choice = ServerKind::automatic);

}  // namespace jinro
