#include "reference/text_scan_reference.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/code_page.h"

namespace jinro::reference {
namespace {

// Scratch areas, one set per process, as the program of old had them.
std::vector<char> textCopy;
std::vector<char> patternCopy;
std::vector<char> area;

std::string_view cString(std::string_view s) { return s.substr(0, ::strnlen(s.data(), s.size())); }

// A plain comparison loop: under the fuzzer every memcmp is intercepted and
// traced, which would cost more than the whole search.
bool sameBytes(const char* a, const char* b, size_t n) {
  for (size_t k = 0; k < n; ++k)
    if (a[k] != b[k]) return false;
  return true;
}

bool lead(char c) { return isLeadByte(static_cast<unsigned char>(c)); }

// Lowers ASCII capitals in place, walking the text one character at a time,
// so the second byte of a double-byte character is left alone.
void lowerInPlace(std::vector<char>& s) {
  for (size_t k = 0; k < s.size();) {
    if (lead(s[k])) {
      k += 2;
    } else {
      if (s[k] >= 'A' && s[k] <= 'Z') s[k] = static_cast<char>(s[k] + 32);
      k += 1;
    }
  }
}

// Builds the new text as the old program did in a zero-filled area of
// limit + 1 bytes: before, middle, after and a terminator must fit, and the
// result ends at the first NUL. Only the bytes written are touched, so a
// 512,000-byte limit does not cost a 512,000-byte fill on every edit.
bool rebuild(std::string& text, std::string_view before, std::string_view middle, std::string_view after,
             size_t limit) {
  if (before.size() + middle.size() + after.size() + 1 > limit + 1) return false;
  area.clear();
  area.insert(area.end(), before.begin(), before.end());
  area.insert(area.end(), middle.begin(), middle.end());
  area.insert(area.end(), after.begin(), after.end());
  text.assign(area.begin(), std::find(area.begin(), area.end(), '\0'));
  return true;
}

}  // namespace

size_t findText(std::string_view text, size_t from, std::string_view pattern) {
  if (from > text.size()) return kNotFound;
  const std::string_view rest = cString(text.substr(from));
  pattern = cString(pattern);
  textCopy.assign(rest.begin(), rest.end());
  patternCopy.assign(pattern.begin(), pattern.end());
  lowerInPlace(textCopy);
  lowerInPlace(patternCopy);
  if (textCopy.empty()) return kNotFound;
  if (patternCopy.empty()) return from;
  const size_t n = textCopy.size();
  const size_t m = patternCopy.size();
  for (size_t k = 0; k < n; k += lead(textCopy[k]) ? 2 : 1) {
    if (k + m <= n && sameBytes(textCopy.data() + k, patternCopy.data(), m)) return from + k;
  }
  return kNotFound;
}

size_t appendText(std::string& dest, std::string_view text) {
  const std::string copy(cString(text));
  dest.append(copy);
  return copy.size();
}

bool insertBefore(std::string& text, std::string_view pattern, std::string_view insertion, size_t limit) {
  const size_t at = findText(text, 0, pattern);
  if (at == kNotFound) return false;
  const std::string whole(cString(text));
  const std::string_view w = whole;
  return rebuild(text, w.substr(0, at), std::string(cString(insertion)), w.substr(at), limit);
}

bool replaceFirst(std::string& text, std::string_view pattern, std::string_view replacement, size_t limit) {
  const size_t at = findText(text, 0, pattern);
  if (at == kNotFound) return false;
  const std::string whole(cString(text));
  const std::string_view w = whole;
  return rebuild(text, w.substr(0, at), std::string(cString(replacement)), w.substr(at + cString(pattern).size()),
                 limit);
}

size_t replaceAll(std::string& text, std::string_view pattern, std::string_view replacement, size_t limit) {
  const std::string p(cString(pattern));
  const std::string r(cString(replacement));
  const size_t none = static_cast<size_t>(-1);
  const size_t cap = p.size() == r.size() && limit != none ? limit + 1 : none;
  size_t count = 0;
  while (count < cap && replaceFirst(text, p, r, limit)) ++count;
  return count;
}

}  // namespace jinro::reference
