#include "base/text_scan.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/code_page.h"

namespace jinro {
namespace {

using Byte = unsigned char;

constexpr std::array<bool, 256> makeLeadTable() {
  std::array<bool, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = isLeadByte(static_cast<Byte>(c));
  return t;
}
constexpr std::array<bool, 256> kLead = makeLeadTable();

inline bool lead(Byte c) { return kLead[c]; }
inline bool asciiLetter(Byte c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
// The bit that folds an ASCII letter: (c | 0x20) is its small form.
inline Byte foldBit(Byte c) { return asciiLetter(c) ? 0x20 : 0; }

std::string_view untilZero(std::string_view s) {
  const void* z = std::memchr(s.data(), 0, s.size());
  return z ? s.substr(0, static_cast<size_t>(static_cast<const char*>(z) - s.data())) : s;
}

bool overlaps(const std::string& s, std::string_view v) {
  const char* b = s.data();
  return v.data() < b + s.size() && b < v.data() + v.size();
}

// Do the bytes at t match the pattern? Single-byte characters of the pattern
// compare with ASCII letters folded; both bytes of a double-byte character
// compare exactly. (A match can only start where the text and the pattern are
// both at a character start, and equal bytes keep both walks in step, so the
// pattern's own walk decides which bytes fold.) The caller guarantees m bytes.
inline bool matchesAt(const Byte* t, const Byte* p, size_t m) {
  size_t k = 0;
  while (k < m) {
    const Byte c = p[k];
    if (lead(c)) {
      if (t[k] != c) return false;
      if (k + 1 < m && t[k + 1] != p[k + 1]) return false;
      k += 2;
    } else {
      if ((t[k] | foldBit(c)) != (c | foldBit(c))) return false;
      ++k;
    }
  }
  return true;
}

// Tracks the character walk that began at the search position. `known` is a
// character start of that walk; everything between it and a later position
// is settled by looking back from that position: a byte that cannot be a lead
// byte always ends a character, and inside a run of lead-valued bytes the
// character starts alternate.
struct Walk {
  const Byte* t;
  size_t known;

  bool isCharStart(size_t i) {
    size_t j = i;
    while (j > known && lead(t[j - 1])) --j;
    const bool start = ((i - j) & 1) == 0;
    known = start ? i : i + 1;  // not a start: i is a second byte, i + 1 starts a character
    return start;
  }
};

struct Needle {
  const Byte* p;
  size_t m;
  Byte firstFold, firstWant;  // (byte | fold) == want
  Byte lastFold, lastWant;
};

Needle prepare(std::string_view pattern) {
  Needle n{};
  n.p = reinterpret_cast<const Byte*>(pattern.data());
  n.m = pattern.size();
  // Is the last byte the second byte of a double-byte character?
  size_t k = 0;
  bool lastIsSecond = false;
  while (k < n.m) {
    if (lead(n.p[k]) && k + 1 < n.m) {
      lastIsSecond = (k + 2 == n.m);
      k += 2;
    } else {
      lastIsSecond = false;
      ++k;
    }
  }
  n.firstFold = foldBit(n.p[0]);
  n.firstWant = n.p[0] | n.firstFold;
  const Byte last = n.p[n.m - 1];
  n.lastFold = lastIsSecond ? 0 : foldBit(last);
  n.lastWant = last | n.lastFold;
  return n;
}

// The candidates of one block: bit k set when position i + k may start a
// match (its first and last bytes fit) and no zero byte comes before it.
// Returns true when the search is over: a match (in *result) or the end of
// the text (a zero byte in the block).
template <class Mask>
inline bool takeBlock(const Byte* t, size_t i, Mask hits, Mask zeros, const Needle& n, Walk& walk, size_t* result) {
  if (zeros) hits &= (zeros & (Mask{0} - zeros)) - 1;  // only starts before the first zero
  while (hits) {
    const size_t c = i + static_cast<size_t>(__builtin_ctzll(hits));
    if (matchesAt(t + c, n.p, n.m) && walk.isCharStart(c)) {
      *result = c;
      return true;
    }
    hits &= hits - 1;
  }
  if (zeros) {
    *result = kNotFound;
    return true;
  }
  return false;
}

// The bytes from i on, one at a time.
size_t searchTail(const Byte* t, size_t size, size_t i, const Needle& n, Walk& walk) {
  const size_t m = n.m;
  for (; i < size; ++i) {
    const Byte c = t[i];
    if (c == 0 || size - i < m) return kNotFound;
    if ((c | n.firstFold) == n.firstWant && (t[i + m - 1] | n.lastFold) == n.lastWant && matchesAt(t + i, n.p, m) &&
        walk.isCharStart(i))
      return i;
  }
  return kNotFound;
}

#if defined(__x86_64__) && defined(__GNUC__)
#define JINRO_HAVE_AVX2_SEARCH 1
// Thirty-two candidate starts at a time, on processors that have AVX2.
__attribute__((target("avx2"))) size_t searchAvx2(const Byte* t, size_t size, size_t from, const Needle& n) {
  Walk walk{t, from};
  const size_t m = n.m;
  size_t i = from;
  const __m256i firstFold = _mm256_set1_epi8(static_cast<char>(n.firstFold));
  const __m256i firstWant = _mm256_set1_epi8(static_cast<char>(n.firstWant));
  const __m256i lastFold = _mm256_set1_epi8(static_cast<char>(n.lastFold));
  const __m256i lastWant = _mm256_set1_epi8(static_cast<char>(n.lastWant));
  const __m256i zero = _mm256_setzero_si256();
  size_t result;
  while (size - i >= m - 1 + 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + i + m - 1));
    const __m256i hit = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(a, firstFold), firstWant),
                                         _mm256_cmpeq_epi8(_mm256_or_si256(b, lastFold), lastWant));
    const __m256i z = _mm256_cmpeq_epi8(a, zero);
    if (!_mm256_testz_si256(_mm256_or_si256(hit, z), _mm256_or_si256(hit, z))) {
      const uint64_t hits = static_cast<uint32_t>(_mm256_movemask_epi8(hit));
      const uint64_t zeros = static_cast<uint32_t>(_mm256_movemask_epi8(z));
      if (takeBlock<uint64_t>(t, i, hits, zeros, n, walk, &result)) return result;
    }
    i += 32;
  }
  return searchTail(t, size, i, n, walk);
}

const bool kHasAvx2 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}();
#endif

size_t searchPortable(const Byte* t, size_t size, size_t from, const Needle& n) {
  Walk walk{t, from};
  size_t i = from;
#if defined(__SSE2__)
  const size_t m = n.m;
  // Sixteen candidate starts at a time: the first and the last byte of the
  // pattern must both fit, and a zero byte ends the text.
  const __m128i firstFold = _mm_set1_epi8(static_cast<char>(n.firstFold));
  const __m128i firstWant = _mm_set1_epi8(static_cast<char>(n.firstWant));
  const __m128i lastFold = _mm_set1_epi8(static_cast<char>(n.lastFold));
  const __m128i lastWant = _mm_set1_epi8(static_cast<char>(n.lastWant));
  const __m128i zero = _mm_setzero_si128();
  size_t result;
  while (size - i >= m - 1 + 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i + m - 1));
    const __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, firstFold), firstWant),
                                      _mm_cmpeq_epi8(_mm_or_si128(b, lastFold), lastWant));
    const __m128i z = _mm_cmpeq_epi8(a, zero);
    if (_mm_movemask_epi8(_mm_or_si128(hit, z))) {
      const uint64_t hits = static_cast<unsigned>(_mm_movemask_epi8(hit));
      const uint64_t zeros = static_cast<unsigned>(_mm_movemask_epi8(z));
      if (takeBlock<uint64_t>(t, i, hits, zeros, n, walk, &result)) return result;
    }
    i += 16;
  }
#endif
  return searchTail(t, size, i, n, walk);
}

size_t search(const Byte* t, size_t size, size_t from, const Needle& n) {
#if defined(JINRO_HAVE_AVX2_SEARCH)
  if (kHasAvx2) return searchAvx2(t, size, from, n);
#endif
  return searchPortable(t, size, from, n);
}

// The last character start of the walk from 0 at or before `at`: after the
// run of lead-valued bytes that ends just before `at`, starts alternate.
size_t charStartAtOrBefore(const std::string& s, size_t at) {
  size_t j = at;
  while (j > 0 && lead(static_cast<Byte>(s[j - 1]))) --j;
  return at - ((at - j) & 1);
}

// Walks s from its start; true when the walk ends exactly at its end (no lead
// byte without its second byte).
bool endsOnCharacter(std::string_view s) {
  size_t k = 0;
  while (k < s.size()) k += lead(static_cast<Byte>(s[k])) ? 2 : 1;
  return k == s.size();
}

inline bool sameFolded(Byte a, Byte b) { return (a | foldBit(a)) == (b | foldBit(b)); }

// True when replacing matches one after the other, left to right, gives what
// replaceFirst from the start gives each time: the replacement ends on a
// character boundary, holds no match itself, and no match can run across
// either of its ends. Conservative: bytes are compared with every ASCII
// letter folded, wherever it stands.
bool replacesInOnePass(std::string_view pattern, std::string_view replacement) {
  const size_t m = pattern.size();
  const size_t r = replacement.size();
  if (m == 0) return false;
  if (!endsOnCharacter(pattern) || !endsOnCharacter(replacement)) return false;
  if (r == 0) return m == 1;  // the bytes on either side would meet
  if (findText(replacement, 0, pattern) != kNotFound) return false;
  const Byte* p = reinterpret_cast<const Byte*>(pattern.data());
  const Byte* q = reinterpret_cast<const Byte*>(replacement.data());
  // A match that begins before the replacement and reaches into it holds the
  // replacement's first byte at some offset other than 0.
  for (size_t a = 1; a < m; ++a)
    if (sameFolded(p[a], q[0])) return false;
  // A match that begins inside the replacement and runs past its end starts
  // with one of the replacement's tails.
  for (size_t len = 1; len < m && len <= r; ++len) {
    bool same = true;
    for (size_t k = 0; k < len && same; ++k) same = sameFolded(q[r - len + k], p[k]);
    if (same) return false;
  }
  return true;
}

bool fitsAfter(size_t length, size_t removed, size_t added, size_t limit) {
  // length - removed + added <= limit, without overflow (removed <= length)
  const size_t rest = length - removed;
  return added <= limit && rest <= limit - added;
}

}  // namespace

size_t findText(std::string_view text, size_t from, std::string_view pattern) {
  if (from >= text.size()) return kNotFound;
  pattern = untilZero(pattern);
  const Byte* t = reinterpret_cast<const Byte*>(text.data());
  if (pattern.empty()) return t[from] != 0 ? from : kNotFound;
  return search(t, text.size(), from, prepare(pattern));
}

namespace text_scan_detail {

size_t findTextPortable(std::string_view text, size_t from, std::string_view pattern) {
  if (from >= text.size()) return kNotFound;
  pattern = untilZero(pattern);
  const Byte* t = reinterpret_cast<const Byte*>(text.data());
  if (pattern.empty()) return t[from] != 0 ? from : kNotFound;
  return searchPortable(t, text.size(), from, prepare(pattern));
}

}  // namespace text_scan_detail

size_t appendText(std::string& dest, std::string_view text) {
  text = untilZero(text);
  if (overlaps(dest, text)) {
    const std::string copy(text);
    dest.append(copy);
  } else {
    dest.append(text);
  }
  return text.size();
}

bool insertBefore(std::string& text, std::string_view pattern, std::string_view insertion, size_t limit) {
  const size_t at = findText(text, 0, pattern);
  if (at == kNotFound) return false;
  insertion = untilZero(insertion);
  const size_t length = untilZero(text).size();
  if (!fitsAfter(length, 0, insertion.size(), limit)) return false;
  const std::string copy = overlaps(text, insertion) ? std::string(insertion) : std::string();
  if (!copy.empty()) insertion = copy;
  text.resize(length);
  text.insert(at, insertion);
  return true;
}

bool replaceFirst(std::string& text, std::string_view pattern, std::string_view replacement, size_t limit) {
  pattern = untilZero(pattern);
  const size_t at = findText(text, 0, pattern);
  if (at == kNotFound) return false;
  replacement = untilZero(replacement);
  const size_t length = untilZero(text).size();
  if (!fitsAfter(length, pattern.size(), replacement.size(), limit)) return false;
  const std::string copy = overlaps(text, replacement) ? std::string(replacement) : std::string();
  if (!copy.empty()) replacement = copy;
  text.resize(length);
  text.replace(at, pattern.size(), replacement);
  return true;
}

size_t replaceAll(std::string& text, std::string_view pattern, std::string_view replacement, size_t limit) {
  pattern = untilZero(pattern);
  std::string copyOfReplacement;
  if (overlaps(text, replacement)) {
    copyOfReplacement.assign(untilZero(replacement));
    replacement = copyOfReplacement;
  }
  replacement = untilZero(replacement);
  const std::string_view in = untilZero(text);
  const size_t m = pattern.size();
  const size_t r = replacement.size();
  const size_t cap = (m == r) ? (limit == std::numeric_limits<size_t>::max() ? limit : limit + 1)
                              : std::numeric_limits<size_t>::max();

  if (m == 0) {
    // Matches at 0 of any non-empty text, again and again.
    if (in.empty() || in.size() > limit) return 0;
    if (r == 0) {
      text.resize(in.size());
      return cap;
    }
    const size_t times = (limit - in.size()) / r;
    if (times == 0) return 0;
    std::string out;
    out.reserve(in.size() + times * r);
    for (size_t k = 0; k < times; ++k) out.append(replacement);
    out.append(in);
    text.swap(out);
    return times;
  }

  if (replacesInOnePass(pattern, replacement)) {
    size_t at = findText(in, 0, pattern);
    if (at == kNotFound || !fitsAfter(in.size(), m, r, limit)) return 0;
    std::string out;
    out.reserve(r > m ? in.size() + in.size() / 8 : in.size());
    size_t pos = 0;
    size_t length = in.size();
    size_t count = 0;
    while (at != kNotFound && count < cap && fitsAfter(length, m, r, limit)) {
      out.append(in.substr(pos, at - pos));
      out.append(replacement);
      pos = at + m;
      length = length - m + r;
      ++count;
      at = findText(in, pos, pattern);
    }
    out.append(in.substr(pos));
    text.swap(out);
    return count;
  }

  // The general loop. After a replacement at `at`, no match can start before
  // at - (m - 1): such a match lies wholly in the unchanged text before it,
  // which held none. So each search restarts at the character start at or
  // before that point, not at 0.
  size_t at = findText(in, 0, pattern);
  if (at == kNotFound || !fitsAfter(in.size(), m, r, limit)) return 0;
  std::string cur(in);
  size_t count = 0;
  while (count < cap) {
    cur.replace(at, m, replacement);
    ++count;
    const size_t back = at >= m - 1 ? at - (m - 1) : 0;
    at = findText(cur, charStartAtOrBefore(cur, back), pattern);
    if (at == kNotFound || !fitsAfter(cur.size(), m, r, limit)) break;
  }
  text.swap(cur);
  return count;
}

}  // namespace jinro
