#include "base/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

#if defined(__x86_64__) && defined(__GNUC__)
#define JINRO_HAVE_SSSE3_CONVERT 1
#include <immintrin.h>
#endif

namespace jinro {
namespace {

// iconv is handed the input a window at a time: after an undecodable
// sequence it converts the input of the call again up to that point, so one
// call over a whole page full of them takes time quadratic in its size.
constexpr size_t kWindow = 64;

// One iconv conversion over the whole input, on a descriptor that may have
// served earlier conversions. Where iconv stops at an undecodable sequence,
// handler() decides what goes out and how far to skip.
template <typename In, typename Out, typename Handler>
void convertWith(iconv_t cd, const In* in, size_t inCount, std::basic_string<Out>& out, Handler handler) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  const char* src = reinterpret_cast<const char*>(in);
  size_t srcLeft = inCount * sizeof(In);
  // None of these conversions makes more than two bytes per input byte, so a
  // window's output fits; E2BIG would only cost another round.
  std::array<char, kWindow * 4> buffer;
  while (srcLeft > 0) {
    char* dst = buffer.data();
    size_t dstLeft = buffer.size();
    const size_t window = std::min(srcLeft, kWindow);
    size_t windowLeft = window;
    size_t r = iconv(cd, const_cast<char**>(&src), &windowLeft, &dst, &dstLeft);
    const size_t consumed = window - windowLeft;
    srcLeft -= consumed;
    size_t produced = buffer.size() - dstLeft;
    out.append(reinterpret_cast<const Out*>(buffer.data()), produced / sizeof(Out));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // A character cut by the end of the window: the next window starts with it.
      if (errno == EINVAL && window < srcLeft + consumed && consumed > 0) continue;
      // EILSEQ or EINVAL: an input unit iconv can't take.
      size_t skip = handler(src, srcLeft, out);
      src += skip;
      srcLeft -= skip;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
}

template <typename In, typename Out, typename Handler>
void convert(const char* to, const char* from, const In* in, size_t inCount, std::basic_string<Out>& out,
             Handler handler) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return;
  convertWith(cd, in, inCount, out, handler);
  iconv_close(cd);
}

// What goes out where UTF-16 to CP932 stops. A high surrogate takes the unit
// after it along whether or not that unit is a low surrogate, so "\xD800A"
// gives a lone '?'; the table converter keeps that.
size_t onUnencodable(const char* at, size_t left, std::string& o) {
  char16_t u = static_cast<char16_t>(static_cast<unsigned char>(at[0]) |
                                     (left > 1 ? static_cast<unsigned char>(at[1]) << 8 : 0));
  if (left < 2) return left;
  if (u == u'\u0080') {
    o.push_back(static_cast<char>(0x80));
    return 2;
  }
  o.push_back('?');
  // A surrogate pair is one character.
  if (u >= 0xD800 && u <= 0xDBFF && left >= 4) return 4;
  return 2;
}

// The CP932 bytes of every BMP code unit: the first in the low byte, the
// second (never 0 in a double-byte character) in the high byte, 0 there for a
// single byte. Unencodable units hold '?', as iconv gives them.
struct Table {
  bool usable = false;
  // glibc drops the Unicode tag characters U+E0000..U+E007F (the pairs
  // DB40 DC00..DC7F) without a trace instead of giving '?'.
  bool tagsVanish = false;
  bool ssse3 = false;
  std::array<uint16_t, 0x10000> code{};
};

constexpr bool isSurrogate(char16_t u) { return (u & 0xF800) == 0xD800; }

constexpr size_t kBlock = 8;

// Units [i, end) one at a time: the end of the text, or a block holding a
// surrogate, whose pair may take one unit past end. A unit writes two bytes
// and keeps one or two, so dst stays within 2 bytes a unit of input.
inline size_t convertUnits(const Table& table, const char16_t* p, size_t i, size_t end, size_t n, char*& dst) {
  while (i < end) {
    const char16_t u = p[i];
    if (!isSurrogate(u)) {
      const uint16_t c = table.code[u];
      dst[0] = static_cast<char>(c & 0xFF);
      dst[1] = static_cast<char>(c >> 8);
      dst += (c >> 8) ? 2 : 1;
      ++i;
      continue;
    }
    const bool tag = u == 0xDB40 && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] <= 0xDC7F;
    if (!(tag && table.tagsVanish)) *dst++ = '?';
    i += (u <= 0xDBFF && i + 1 < n) ? 2 : 1;
  }
  return i;
}

// HTML markup, most of a page, is ASCII: such blocks are copied whole.
char* convertPortable(const Table& table, const char16_t* p, size_t n, char* dst) {
  size_t i = 0;
  while (i + kBlock <= n) {
    uint64_t w[2];
    std::memcpy(w, p + i, sizeof w);
    if (((w[0] | w[1]) & 0xFF80FF80FF80FF80u) == 0) {
      for (size_t k = 0; k < kBlock; ++k) dst[k] = static_cast<char>(p[i + k]);
      dst += kBlock;
      i += kBlock;
      continue;
    }
    i = convertUnits(table, p, i, i + kBlock, n, dst);
  }
  convertUnits(table, p, i, n, n, dst);
  return dst;
}

#if defined(JINRO_HAVE_SSSE3_CONVERT)
// For each set of double-byte units in a block (bit k for unit k), the
// shuffle that packs the block's entries into its output bytes.
struct Compaction {
  alignas(16) uint8_t shuffle[256][16];
  uint8_t size[256];
};

constexpr Compaction makeCompaction() {
  Compaction c{};
  for (unsigned doubles = 0; doubles < 256; ++doubles) {
    unsigned out = 0;
    for (unsigned k = 0; k < kBlock; ++k) {
      c.shuffle[doubles][out++] = static_cast<uint8_t>(2 * k);
      if (doubles >> k & 1) c.shuffle[doubles][out++] = static_cast<uint8_t>(2 * k + 1);
    }
    c.size[doubles] = static_cast<uint8_t>(out);
    while (out < 16) c.shuffle[doubles][out++] = 0x80;
  }
  return c;
}

constexpr Compaction kCompaction = makeCompaction();

// Other blocks without surrogates go out through one shuffle of their table
// entries, whatever mix of single and double bytes they hold: in a page,
// ASCII and Japanese alternate every few units, too often to branch on.
__attribute__((target("ssse3"))) char* convertSsse3(const Table& table, const char16_t* p, size_t n, char* dst) {
  const uint16_t* code = table.code.data();
  const __m128i zero = _mm_setzero_si128();
  const __m128i nonAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i surrogateBits = _mm_set1_epi16(static_cast<short>(0xF800));
  const __m128i surrogate = _mm_set1_epi16(static_cast<short>(0xD800));
  size_t i = 0;
  while (i + kBlock <= n) {
    const char16_t* q = p + i;
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(v, nonAscii), zero)) == 0xFFFF) {
      _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(v, v));
      dst += kBlock;
      i += kBlock;
      continue;
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(v, surrogateBits), surrogate)) != 0) {
      i = convertUnits(table, p, i, i + kBlock, n, dst);
      continue;
    }
    const auto four = [&](size_t k) {
      return static_cast<long long>(code[q[k]] | static_cast<uint64_t>(code[q[k + 1]]) << 16 |
                                    static_cast<uint64_t>(code[q[k + 2]]) << 32 |
                                    static_cast<uint64_t>(code[q[k + 3]]) << 48);
    };
    const __m128i entries = _mm_set_epi64x(four(4), four(0));
    const __m128i single = _mm_cmpeq_epi16(_mm_srli_epi16(entries, 8), zero);
    const unsigned doubles = ~static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(single, single))) & 0xFF;
    const __m128i shuffle = _mm_load_si128(reinterpret_cast<const __m128i*>(kCompaction.shuffle[doubles]));
    // 16 bytes at dst fit: dst is at most 2 * i and i + kBlock <= n.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_shuffle_epi8(entries, shuffle));
    dst += kCompaction.size[doubles];
    i += kBlock;
  }
  convertUnits(table, p, i, n, n, dst);
  return dst;
}
#endif

void convertWithTable(const Table& table, std::u16string_view utf16, [[maybe_unused]] bool ssse3, std::string& out) {
  // At most two bytes a unit; a buffer used before keeps its memory.
  out.resize(utf16.size() * 2);
  char* end = nullptr;
#if defined(JINRO_HAVE_SSSE3_CONVERT)
  if (ssse3) end = convertSsse3(table, utf16.data(), utf16.size(), out.data());
#endif
  if (!end) end = convertPortable(table, utf16.data(), utf16.size(), out.data());
  out.resize(static_cast<size_t>(end - out.data()));
}

std::string convertWithTable(const Table& table, std::u16string_view utf16, bool ssse3) {
  std::string out;
  convertWithTable(table, utf16, ssse3, out);
  return out;
}

// Built from the iconv conversion unit by unit. The table is left unusable
// (and the iconv conversion used) if iconv lacks CP932, gives a unit other
// than one byte or two with a non-zero second, maps ASCII to other bytes, or
// treats surrogates otherwise than convertUnits does.
std::unique_ptr<Table> buildTable() {
  auto table = std::make_unique<Table>();
  iconv_t cd = iconv_open("CP932", "UTF-16LE");
  if (cd == reinterpret_cast<iconv_t>(-1)) return table;
  bool ok = true;
  std::string bytes;
  for (uint32_t u = 0; u < 0x10000 && ok; ++u) {
    const auto unit = static_cast<char16_t>(u);
    if (isSurrogate(unit)) continue;
    bytes.clear();
    convertWith(cd, &unit, 1, bytes, onUnencodable);
    const uint32_t b0 = bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]);
    const uint32_t b1 = bytes.size() > 1 ? static_cast<unsigned char>(bytes[1]) : 0;
    if (bytes.size() == 1 && (u >= 0x80 || b0 == u)) {
      table->code[u] = static_cast<uint16_t>(b0);
    } else if (bytes.size() == 2 && b1 != 0 && u >= 0x80) {
      table->code[u] = static_cast<uint16_t>(b1 << 8 | b0);
    } else {
      ok = false;
    }
  }
  iconv_close(cd);
  if (!ok) return table;
  table->usable = true;
#if defined(JINRO_HAVE_SSSE3_CONVERT)
  __builtin_cpu_init();
  table->ssse3 = __builtin_cpu_supports("ssse3") != 0;
#endif
  table->tagsVanish = detail::utf16ToShiftJisIconv(u"\xDB40\xDC41").empty();
  for (std::u16string_view probe : {u"\xD800", u"a\xD800", u"\xDC00" u"a", u"\xD800" u"ab", u"\xD83D\xDE00" u"a",
                                    u"\xD800\xD800\xDC00" u"a", u"\xDBFF\xDFFF\xDC00",
                                    u"\xDB40\xDC00\xDB40\xDC7F\xDB40\xDC80"}) {
    if (convertWithTable(*table, probe, false) != detail::utf16ToShiftJisIconv(probe)) table->usable = false;
  }
  return table;
}

const Table& table() {
  static const std::unique_ptr<Table> built = buildTable();
  return *built;
}

}  // namespace

std::u16string shiftJisToUtf16(std::string_view shiftJis) {
  std::u16string out;
  out.reserve(shiftJis.size());
  convert("UTF-16LE", "CP932", shiftJis.data(), shiftJis.size(), out,
          [](const char* at, size_t left, std::u16string& o) -> size_t {
            auto c = static_cast<unsigned char>(at[0]);
            if (c == 0x80) {
              o.push_back(u'\u0080');
              return 1;
            }
            o.push_back(u'\uFFFD');
            // A lead byte with a bad trail (or cut at the end) loses only itself.
            (void)left;
            return 1;
          });
  return out;
}

std::string utf16ToShiftJis(std::u16string_view utf16) {
  const Table& t = table();
  return t.usable ? convertWithTable(t, utf16, t.ssse3) : detail::utf16ToShiftJisIconv(utf16);
}

void utf16ToShiftJis(std::u16string_view utf16, std::string& out) {
  const Table& t = table();
  if (t.usable) {
    convertWithTable(t, utf16, t.ssse3, out);
  } else {
    out = detail::utf16ToShiftJisIconv(utf16);
  }
}

namespace detail {

bool utf16ToShiftJisHasTable() { return table().usable; }

std::string utf16ToShiftJisPortable(std::u16string_view utf16) {
  const Table& t = table();
  return t.usable ? convertWithTable(t, utf16, false) : utf16ToShiftJisIconv(utf16);
}

std::string utf16ToShiftJisIconv(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size() * 2);
  convert("CP932", "UTF-16LE", utf16.data(), utf16.size(), out, onUnencodable);
  return out;
}

}  // namespace detail

std::string utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string shiftJisToUtf8(std::string_view shiftJis) {
  std::u16string u = shiftJisToUtf16(shiftJis);
  std::string out;
  out.reserve(u.size() * 3);
  convert("UTF-8", "UTF-16LE", u.data(), u.size(), out, [](const char*, size_t left, std::string& o) -> size_t {
    o += "\xEF\xBF\xBD";
    return left < 2 ? left : 2;
  });
  return out;
}

std::string utf8ToShiftJis(std::string_view utf8) {
  std::u16string u;
  convert("UTF-16LE", "UTF-8", utf8.data(), utf8.size(), u, [](const char*, size_t, std::u16string& o) -> size_t {
    o.push_back(u'\uFFFD');
    return 1;
  });
  // Short texts (the program's own, converted as it starts): not worth
  // building the table for.
  return detail::utf16ToShiftJisIconv(u);
}

void prepareUtf16ToShiftJis() { (void)table(); }

std::string_view cutOnCharacterBoundary(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  size_t i = 0;
  while (i < maxBytes) {
    size_t step = isLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i + step > maxBytes) break;
    i += step;
  }
  return text.substr(0, i);
}

}  // namespace jinro
