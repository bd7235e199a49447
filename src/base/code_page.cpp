#include "base/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace jinro {
namespace {

// iconv is handed the input a window at a time: after an undecodable
// sequence it converts the input of the call again up to that point, so one
// call over a whole page full of them takes time quadratic in its size.
constexpr size_t kWindow = 64;

// One iconv conversion over the whole input. Where iconv stops at an
// undecodable sequence, handler() decides what goes out and how far to skip.
template <typename In, typename Out, typename Handler>
void convert(const char* to, const char* from, const In* in, size_t inCount, std::basic_string<Out>& out,
             Handler handler) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return;
  const char* src = reinterpret_cast<const char*>(in);
  size_t srcLeft = inCount * sizeof(In);
  std::vector<char> buffer(16384);
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
  iconv_close(cd);
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
  std::string out;
  out.reserve(utf16.size() * 2);
  convert("CP932", "UTF-16LE", utf16.data(), utf16.size(), out,
          [](const char* at, size_t left, std::string& o) -> size_t {
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
          });
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
  return utf16ToShiftJis(u);
}

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
