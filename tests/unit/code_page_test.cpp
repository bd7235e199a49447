#include "base/code_page.h"

#include <gtest/gtest.h>

namespace jinro {
namespace {

TEST(CodePage, RoundTripsJapaneseAndAscii) {
  const std::string sjis = "\x93\xFA\x96\xDA abc";  // 日目 abc
  std::u16string u = shiftJisToUtf16(sjis);
  EXPECT_EQ(u, u"日目 abc");
  EXPECT_EQ(utf16ToShiftJis(u), sjis);
  EXPECT_EQ(shiftJisToUtf8(sjis), "日目 abc");
  EXPECT_EQ(utf8ToShiftJis("日目 abc"), sjis);
}

TEST(CodePage, Byte80IsU0080BothWays) {
  EXPECT_EQ(shiftJisToUtf16("a\x80z"), std::u16string(u"a\u0080z"));
  EXPECT_EQ(utf16ToShiftJis(u"a\u0080z"), "a\x80z");
}

TEST(CodePage, BadBytesAndUnmappableCharactersDoNotStopTheConversion) {
  // A lone lead byte at the end, and a lead byte with an invalid trail.
  EXPECT_EQ(shiftJisToUtf16("ab\x93"), std::u16string(u"ab\uFFFD"));
  std::u16string u = shiftJisToUtf16("\x81\x20x");
  EXPECT_EQ(u.back(), u'x');
  EXPECT_EQ(utf16ToShiftJis(u"a\U0001F600b"), "a?b");
  EXPECT_EQ(utf16ToShiftJis(u"\u00e9"), "?");
}

TEST(CodePage, CutNeverSplitsADoubleByteCharacter) {
  const std::string s = "ab\x93\xFA";  // ab日
  EXPECT_EQ(cutOnCharacterBoundary(s, 3), "ab");
  EXPECT_EQ(cutOnCharacterBoundary(s, 4), s);
  EXPECT_EQ(cutOnCharacterBoundary(s, 2), "ab");
}

}  // namespace
}  // namespace jinro
