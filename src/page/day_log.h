#pragma once
// The log of a day that just ended, as the log viewer is given it: a title
// and the bytes of tmp.html.
#include <string>
#include <string_view>

namespace jinro {

// "<n>日目の記録" for the day number before the first counting "日目", else
// "事件前日"; Shift_JIS.
std::string dayLogTitle(std::string_view text);

// The log text as stored in tmp.html: every LF written as CRLF, nothing added.
std::string logFileBytes(std::string_view logText);

}  // namespace jinro
