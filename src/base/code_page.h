#pragma once
// Shift_JIS (code page 932) to and from UTF-16, as the browser decodes it:
// glibc iconv "CP932", with the byte 0x80 standing for U+0080 both ways.
// Undecodable bytes become U+FFFD; unencodable characters become '?'.
// UTF-16 to Shift_JIS goes through a table built from iconv at first use,
// since it runs on every page; its output is the iconv conversion's, byte
// for byte. That includes its surrogates: a valid pair gives one '?' (the
// tag characters U+E0000..U+E007F nothing), a lone low surrogate or a high
// one at the end '?', and a high surrogate with anything else after it one
// '?' for the two units.
#include <string>
#include <string_view>

namespace jinro {

std::u16string shiftJisToUtf16(std::string_view shiftJis);
std::string utf16ToShiftJis(std::u16string_view utf16);
// The same into out, whose memory is reused from one page to the next.
void utf16ToShiftJis(std::u16string_view utf16, std::string& out);

std::string shiftJisToUtf8(std::string_view shiftJis);
// UTF-16 as a browser holds it to UTF-8; a lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view utf16);
std::string utf8ToShiftJis(std::string_view utf8);

// Builds utf16ToShiftJis's table now (it takes some milliseconds), for
// instance on another thread while the program starts, so that the first
// page does not wait for it. Safe to call from any thread, any number of times.
void prepareUtf16ToShiftJis();

namespace detail {
// The iconv conversion the table is built from and checked against.
std::string utf16ToShiftJisIconv(std::u16string_view utf16);
// utf16ToShiftJis without the SSSE3 path, as on processors that lack it.
std::string utf16ToShiftJisPortable(std::u16string_view utf16);
// False when the table could not be built or did not match iconv on broken
// surrogates, and utf16ToShiftJis falls back to the iconv conversion.
bool utf16ToShiftJisHasTable();
}  // namespace detail

// True when the byte starts a double-byte Shift_JIS character.
inline constexpr bool isLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Longest prefix of text, at most maxBytes long, that does not split a
// double-byte character.
std::string_view cutOnCharacterBoundary(std::string_view text, size_t maxBytes);

}  // namespace jinro
