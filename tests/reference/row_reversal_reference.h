#pragma once
// The row reversal and link rewriting done step by step the plain way, over
// the reference primitives: every search from scratch, every row copied into
// a block of its own, every "./" replaced by a fresh search from the start.
// The tests compare the real rewrite with this one.
#include <cstddef>
#include <string>
#include <string_view>

namespace jinro::reference {

size_t reverseRowsAndFixLinks(std::string& text, bool gameOver, std::string_view baseUrl);

}  // namespace jinro::reference
