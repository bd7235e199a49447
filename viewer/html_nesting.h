#pragma once
// How deeply the elements of an HTML text nest, estimated the way a lenient
// parser builds its tree (end tags close what they enclose; td, tr, li, p
// and their like close their open siblings; void elements hold nothing).
//
// Qt's text layout recurses into every nested element and into nested
// tables exponentially: a page with thousands of nested elements overflows
// its stack, and twenty nested tables take seconds. Pages whose nesting
// passes the limits below are not handed to it.
#include <cstddef>
#include <string_view>

namespace quill {

// A game's page nests a handful of tables and a few dozen elements, and the
// client writes the log as its browser serialised it (whose parser nests no
// deeper than 512). Qt lays out 1,000 nested elements in 20 ms.
inline constexpr std::size_t kMaxNesting = 1000;
inline constexpr std::size_t kMaxTableNesting = 12;

struct Nesting {
  std::size_t elements = 0;  // deepest stack of open elements
  std::size_t tables = 0;    // most tables open at once
};

// Stops early once a limit is passed: the result is then past that limit,
// not necessarily the whole text's. text: HTML in an ASCII-compatible encoding where '<', '>' and quotes are
// never part of a multi-byte character (Shift_JIS, UTF-8).
Nesting measureNesting(std::string_view text);

}  // namespace quill
