#pragma once
// Shift_JIS (code page 932) to and from UTF-16, as the browser decodes it:
// glibc iconv "CP932", with the byte 0x80 standing for U+0080 both ways.
// Undecodable bytes become U+FFFD; unencodable characters become '?'.
#include <string>
#include <string_view>

namespace jinro {

std::u16string shiftJisToUtf16(std::string_view shiftJis);
std::string utf16ToShiftJis(std::u16string_view utf16);

std::string shiftJisToUtf8(std::string_view shiftJis);
std::string utf8ToShiftJis(std::string_view utf8);

// True when the byte starts a double-byte Shift_JIS character.
inline constexpr bool isLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Longest prefix of text, at most maxBytes long, that does not split a
// double-byte character.
std::string_view cutOnCharacterBoundary(std::string_view text, size_t maxBytes);

}  // namespace jinro
