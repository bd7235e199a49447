#pragma once
// Byte-wise search in Shift_JIS page texts. ASCII letters fold; a match starts
// only at a character start (walking from the search position one character
// at a time: two bytes for a lead byte, one otherwise). Every decision about a
// page is one of these searches; there is no HTML parser.
//
// Folding touches single-byte characters only: the second byte of a
// double-byte character is never folded, so "ア" (83 41) does not match
// "ヂ" (83 61). Texts, patterns, insertions and replacements end at their
// first zero byte.
#include <cstddef>
#include <string>
#include <string_view>

namespace jinro {

inline constexpr size_t kNotFound = std::string_view::npos;
// Longest text the editing operations produce (a 512,000-byte area less its
// terminator); the default of their limit.
inline constexpr size_t kSearchTextLimit = 511999;
// Longest pattern the game's texts need. findText itself accepts any length.
inline constexpr size_t kPatternLimit = 511;

// Position in text of the first match of pattern at or after from, or
// kNotFound. The searched text runs from `from` to the first zero byte at or
// after it (or the end of the view); character starts are counted from
// `from`. An empty pattern matches at from when a byte other than zero stands
// there.
size_t findText(std::string_view text, size_t from, std::string_view pattern);

// Appends text's bytes (up to its first zero byte) to dest; returns their number.
size_t appendText(std::string& dest, std::string_view text);

// Inserts insertion before the first match of pattern. The result holds at
// most limit bytes: a result that would not fit leaves the text unchanged.
// Returns whether it inserted. A changed text loses any bytes after its first
// zero byte.
bool insertBefore(std::string& text, std::string_view pattern, std::string_view insertion,
                  size_t limit = kSearchTextLimit);

// Replaces the first match of pattern by replacement. False (text unchanged)
// when the pattern is absent or the result would exceed limit bytes.
bool replaceFirst(std::string& text, std::string_view pattern, std::string_view replacement,
                  size_t limit = kSearchTextLimit);

// The result of calling replaceFirst until it returns false (each call
// searching from the start again, so a replacement may complete a new match
// with the bytes around it). Returns the number of replacements. Done in one
// pass when the pattern and replacement cannot interact that way, which holds
// for every pair the program uses. A replacement as long as the pattern can
// re-create a match forever (say "a" by "A"): such a loop stops after
// limit + 1 replacements. An empty pattern matches at the start of a
// non-empty text, so the replacement is put in front until the limit.
size_t replaceAll(std::string& text, std::string_view pattern, std::string_view replacement,
                  size_t limit = kSearchTextLimit);

namespace text_scan_detail {
// findText without the wider scan that newer processors get; the tests check
// both against each other.
size_t findTextPortable(std::string_view text, size_t from, std::string_view pattern);
}  // namespace text_scan_detail

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
