// Inputs the fuzz targets (fuzz/) found faults with, kept as plain cases.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "base/code_page.h"
#include "page/page_limits.h"
#include "page/page_reading.h"
#include "settings/profile_file.h"

namespace jinro {
namespace {

// Numbers of 20 digits and more whose first 19 digits stay below LONG_MAX:
// the next step used to overflow the accumulator and wrap to a small value.
TEST(FuzzRegression, ParseNumberSaturatesWhereTheNextDigitWouldWrap) {
  EXPECT_EQ(parseNumber(std::string(21, '7')), LONG_MAX);
  EXPECT_EQ(parseNumber("-" + std::string(21, '7')), LONG_MIN);
  EXPECT_EQ(parseNumber("18446744073709551616"), LONG_MAX);  // 2^64
  EXPECT_EQ(parseNumber("9223372036854775807"), LONG_MAX);
  EXPECT_EQ(parseNumber("9223372036854775808"), LONG_MAX);
  EXPECT_EQ(parseNumber("-9223372036854775808"), LONG_MIN);
  EXPECT_EQ(parseNumber("-9223372036854775807"), -LONG_MAX);
  EXPECT_EQ(parseNumber("922337203685477580"), 922337203685477580L);
}

// A section name ending with the first byte of a double-byte character makes
// a header line whose "]" is read as that character's second byte: the
// section could never be read back, and its keys fell into the section
// before it. Such a name is refused and the file left as it was.
TEST(FuzzRegression, SectionNameEndingInALeadByteIsRefused) {
  char dir[] = "/tmp/jinro-regression-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/jinro.ini";
  const std::string before = "[ZENPAN]\r\nURL_frame=http://a/\r\n";
  {
    std::ofstream f(path, std::ios::binary);
    f << before;
  }
  EXPECT_FALSE(profile::writeSection("SOUND\x81", {{"URL_frame", "http://b/"}}, path));
  EXPECT_FALSE(profile::writeSection("\x82", {{"k", "v"}}, path));
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  EXPECT_EQ(s.str(), before);
  EXPECT_EQ(profile::readString("ZENPAN", "URL_frame", "", 1024, path), "http://a/");

  // A whole double-byte character at the end, or a lead byte followed by a
  // blank, still makes a readable header.
  EXPECT_TRUE(profile::writeSection("SOUND\x82\xA0", {{"k", "v"}}, path));
  EXPECT_EQ(profile::readString("SOUND\x82\xA0", "k", "", 1024, path), "v");
  EXPECT_TRUE(profile::writeSection("X\x81 ", {{"k", "w"}}, path));
  EXPECT_EQ(profile::readString("X\x81", "k", "", 1024, path), "w");
  unlink(path.c_str());
  rmdir(dir);
}

// The conversions hand iconv the input a piece at a time (one call over a
// whole page full of undecodable bytes took time quadratic in its length:
// half a minute for a page of random bytes). Characters that straddle the
// pieces' ends come out whole.
TEST(FuzzRegression, ConversionsKeepCharactersAcrossTheirInputPieces) {
  for (size_t k = 0; k < 140; ++k) {
    const std::string a(k, 'a');
    const std::u16string ua(k, u'a');
    // "あ" (82 A0) and a lone lead byte at the end.
    EXPECT_EQ(shiftJisToUtf16(a + "\x82\xA0" "b"), ua + u"\u3042b") << k;
    EXPECT_EQ(shiftJisToUtf16(a + "\x82"), ua + u"\uFFFD") << k;
    EXPECT_EQ(utf16ToShiftJis(ua + u"\u3042b"), a + "\x82\xA0" "b") << k;
    // A character outside the code page, written as a surrogate pair: one "?".
    EXPECT_EQ(utf16ToShiftJis(ua + u"\U0001F600b"), a + "?b") << k;
    EXPECT_EQ(utf8ToShiftJis(a + "\xF0\x9F\x98\x80" "b"), a + "?b") << k;
    EXPECT_EQ(shiftJisToUtf8(a + "\x82\xA0\x80"), a + "\xE3\x81\x82\xC2\x80") << k;
  }
  // A page's worth of bytes no character starts with, and back.
  const std::string junk(kPageTextLimit, '\xFF');
  const std::u16string decoded = shiftJisToUtf16(junk);
  ASSERT_EQ(decoded.size(), junk.size());
  EXPECT_EQ(decoded.find_first_not_of(u'\uFFFD'), std::u16string::npos);
  const std::string encoded = utf16ToShiftJis(decoded);
  ASSERT_EQ(encoded.size(), junk.size());
  EXPECT_EQ(encoded.find_first_not_of('?'), std::string::npos);
}

}  // namespace
}  // namespace jinro
