#pragma once
// Plain implementations of the text primitives, done the slow, obvious way:
// every search copies the rest of the text and lowers it, every edit builds
// the whole text area in a zero-filled scratch area and copies it back. The
// tests compare the fast primitives with these, and the benchmarks measure
// against them.
#include <cstddef>
#include <string>
#include <string_view>

#include "base/text_scan.h"

namespace jinro::reference {

size_t findText(std::string_view text, size_t from, std::string_view pattern);
size_t appendText(std::string& dest, std::string_view text);
// The text area holds limit + 1 bytes (512,000 by default).
bool insertBefore(std::string& text, std::string_view pattern, std::string_view insertion,
                  size_t limit = kSearchTextLimit);
bool replaceFirst(std::string& text, std::string_view pattern, std::string_view replacement,
                  size_t limit = kSearchTextLimit);
// replaceFirst until it returns false; when the replacement is as long as the
// pattern, at most limit + 1 times.
size_t replaceAll(std::string& text, std::string_view pattern, std::string_view replacement,
                  size_t limit = kSearchTextLimit);

struct ReferenceTextOps {
  static size_t findText(std::string_view text, size_t from, std::string_view pattern) {
    return reference::findText(text, from, pattern);
  }
  static size_t appendText(std::string& dest, std::string_view text) { return reference::appendText(dest, text); }
  static bool insertBefore(std::string& text, std::string_view pattern, std::string_view insertion,
                           size_t limit = kSearchTextLimit) {
    return reference::insertBefore(text, pattern, insertion, limit);
  }
  static bool replaceFirst(std::string& text, std::string_view pattern, std::string_view replacement,
                           size_t limit = kSearchTextLimit) {
    return reference::replaceFirst(text, pattern, replacement, limit);
  }
  static size_t replaceAll(std::string& text, std::string_view pattern, std::string_view replacement,
                           size_t limit = kSearchTextLimit) {
    return reference::replaceAll(text, pattern, replacement, limit);
  }
};

}  // namespace jinro::reference
