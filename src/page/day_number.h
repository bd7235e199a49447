#pragma once
#include <string_view>

namespace jinro {

// The day's number a game page shows in its header before "日目" (the number
// may stand in its own element, in ASCII or full-width digits); 0 when the
// page shows none. Only the page's body is searched: the title's days are
// the village's name.
int dayNumber(std::string_view shiftJisPage);

}  // namespace jinro
