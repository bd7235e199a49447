#pragma once
// Byte-wise search in Shift_JIS page texts. ASCII letters fold; a match starts
// only at a character start (walking from the search position one character
// at a time: two bytes for a lead byte, one otherwise). Every decision about a
// page is one of these searches; there is no HTML parser.
#include <cstddef>
#include <string>
#include <string_view>

namespace jinro {

inline constexpr size_t kNotFound = std::string_view::npos;
inline constexpr size_t kSearchTextLimit = 511999;  // bytes searched from the start position
inline constexpr size_t kPatternLimit = 511;

// Position in text of the first match of pattern at or after from, or
// kNotFound. An empty pattern matches at from when text has bytes after it.
// The text ends at its first zero byte.
size_t findText(std::string_view text, size_t from, std::string_view pattern);

// Appends text's bytes to dest; returns their number.
size_t appendText(std::string& dest, std::string_view text);

// Inserts insertion before the first match of pattern. The text area holds at
// most limit bytes: a result that would not fit leaves the text unchanged.
// Returns whether it inserted.
bool insertBefore(std::string& text, std::string_view pattern, std::string_view insertion,
                  size_t limit = kSearchTextLimit);

// Replaces the first match of pattern by replacement. False (text unchanged)
// when the pattern is absent or the result would exceed limit bytes.
bool replaceFirst(std::string& text, std::string_view pattern, std::string_view replacement,
                  size_t limit = kSearchTextLimit);

// The same result as calling replaceFirst until it returns false, in one pass
// where that is equivalent. Returns the number of replacements.
size_t replaceAll(std::string& text, std::string_view pattern, std::string_view replacement,
                  size_t limit = kSearchTextLimit);

// The primitives as a policy, so that the searching algorithms can be
// instantiated over another implementation of them (the benchmarks compare
// against a plain reference one).
struct FastTextOps {
  static size_t findText(std::string_view text, size_t from, std::string_view pattern) {
    return jinro::findText(text, from, pattern);
  }
  static size_t appendText(std::string& dest, std::string_view text) { return jinro::appendText(dest, text); }
  static bool insertBefore(std::string& text, std::string_view pattern, std::string_view insertion,
                           size_t limit = kSearchTextLimit) {
    return jinro::insertBefore(text, pattern, insertion, limit);
  }
  static bool replaceFirst(std::string& text, std::string_view pattern, std::string_view replacement,
                           size_t limit = kSearchTextLimit) {
    return jinro::replaceFirst(text, pattern, replacement, limit);
  }
  static size_t replaceAll(std::string& text, std::string_view pattern, std::string_view replacement,
                           size_t limit = kSearchTextLimit) {
    return jinro::replaceAll(text, pattern, replacement, limit);
  }
};

}  // namespace jinro
