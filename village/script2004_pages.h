#pragma once
// The village's pages in the dialect of the public 2004 game script: one
// form in a 700-wide table of ◆ rows, upper-case tags, no charset in the
// page. Every function returns UTF-8; the caller sends it as Shift_JIS.
#include <cstdint>
#include <string>
#include <string_view>

#include "game.h"

namespace village::script2004 {

inline constexpr int kSpectatorNo = 60;  // TXTPNO of a spectator
inline constexpr int kMaxVillagers = 22;  // the places of every village

// The in-village page as villager me sees it; me null: a spectator.
std::string villagePage(const Game& g, const Villager* me, uint64_t formId);
// The static top page (jinro_index.htm), the only one declaring its charset.
std::string topPage();
// ?entry: the registration form, or the notice that no village takes villagers.
std::string entryPage(const Game& g);
// ?room: the village select.
std::string roomPage(const Game& g);
// The login form of the village, its name and password filled in when given
// (as the browser's cookies fill them in).
std::string loginPage(const Game& g, int presetNo, std::string_view presetPass);
// A short result page (registration, a wrong password), ending with the
// hidden fields of a spectator as the script's result pages do.
std::string resultPage(const Game& g, std::string_view text, uint64_t formId);
// The answer to a request that came by no known entrance: the player is out.
std::string wrongEntrancePage();
// A page of the server that is no page of the game (busy, missing page).
std::string plainPage(std::string_view text);

}  // namespace village::script2004
