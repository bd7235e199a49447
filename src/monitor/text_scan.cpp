#include "monitor/text_scan.h"

#include <algorithm>

#include "platform/code_page.h"

namespace jinro {
namespace {

inline unsigned char lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

std::string_view untilZero(std::string_view text) {
  size_t z = text.find('\0');
  return z == std::string_view::npos ? text : text.substr(0, z);
}

}  // namespace

size_t findText(std::string_view text, size_t from, std::string_view pattern) {
  text = untilZero(text);
  pattern = untilZero(pattern);
  if (from >= text.size()) return kNotFound;
  const size_t n = text.size();
  const size_t m = pattern.size();
  size_t i = from;
  while (i < n) {
    if (i + m <= n) {
      size_t k = 0;
      while (k < m && lower(static_cast<unsigned char>(text[i + k])) == lower(static_cast<unsigned char>(pattern[k])))
        ++k;
      if (k == m) return i;
    } else {
      return kNotFound;
    }
    i += isLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
  }
  return kNotFound;
}

size_t appendText(std::string& dest, std::string_view text) {
  text = untilZero(text);
  dest.append(text);
  return text.size();
}

bool insertBefore(std::string& text, std::string_view pattern, std::string_view insertion, size_t limit) {
  size_t at = findText(text, 0, pattern);
  if (at == kNotFound) return false;
  if (text.size() + insertion.size() > limit) return false;
  text.insert(at, insertion);
  return true;
}

bool replaceFirst(std::string& text, std::string_view pattern, std::string_view replacement, size_t limit) {
  size_t at = findText(text, 0, pattern);
  if (at == kNotFound) return false;
  size_t matched = std::min(pattern.size(), text.size() - at);
  if (text.size() - matched + replacement.size() > limit) return false;
  text.replace(at, matched, replacement);
  return true;
}

size_t replaceAll(std::string& text, std::string_view pattern, std::string_view replacement, size_t limit) {
  size_t count = 0;
  // Guard against a replacement that holds the pattern: it would never end.
  if (findText(replacement, 0, pattern) != kNotFound && !replacement.empty()) {
    return replaceFirst(text, pattern, replacement, limit) ? 1 : 0;
  }
  while (replaceFirst(text, pattern, replacement, limit)) ++count;
  return count;
}

}  // namespace jinro
