// The table converter against the iconv conversion it is built from.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/code_page.h"

namespace jinro {
namespace {

// Both the converter this processor runs and the one without SSSE3.
::testing::AssertionResult sameAsIconv(std::u16string_view s) {
  const std::string iconv = detail::utf16ToShiftJisIconv(s);
  if (utf16ToShiftJis(s) == iconv && detail::utf16ToShiftJisPortable(s) == iconv)
    return ::testing::AssertionSuccess();
  auto failure = ::testing::AssertionFailure() << "differs from iconv for units" << std::hex;
  for (char16_t u : s) failure << ' ' << unsigned(u);
  return failure;
}

TEST(CodePageTable, EveryUnitAloneAndNextToEachKindOfSurrogate) {
  // Otherwise every comparison below is iconv against itself.
  ASSERT_TRUE(detail::utf16ToShiftJisHasTable());
  for (uint32_t u = 0; u < 0x10000; ++u) {
    const auto c = static_cast<char16_t>(u);
    ASSERT_TRUE(sameAsIconv(std::u16string(1, c)));
    ASSERT_TRUE(sameAsIconv(std::u16string{c, u'\xDBFF'}));
    ASSERT_TRUE(sameAsIconv(std::u16string{c, u'\xDC00'}));
    // A high surrogate takes the unit after it along; 'x' must still come out.
    ASSERT_TRUE(sameAsIconv(std::u16string{u'\xD800', c, u'x'}));
    ASSERT_TRUE(sameAsIconv(std::u16string{u'\xDFFF', c}));
  }
  // Every unit again in blocks of eight, at each offset.
  std::u16string all;
  for (uint32_t u = 0; u < 0x10000; ++u)
    if (u < 0xD800 || u > 0xDFFF) all.push_back(static_cast<char16_t>(u));
  for (size_t offset = 0; offset < 8; ++offset) ASSERT_TRUE(sameAsIconv(std::u16string(offset, u'a') + all));
}

TEST(CodePageTable, EverySurrogatePair) {
  // glibc drops some pairs (the tag characters) rather than give '?'.
  for (char16_t high = 0xD800; high <= 0xDBFF; ++high) {
    std::u16string pairs;
    for (char16_t low = 0xDC00; low <= 0xDFFF; ++low) pairs += {high, low, u'x'};
    ASSERT_TRUE(sameAsIconv(pairs));
  }
}

TEST(CodePageTable, RandomMixedTextsAcrossIconvWindows) {
  // Texts long enough to cross iconv's windows of 32 units and the table's
  // blocks of 8, each block a different mix of single and double bytes.
  const std::u16string picks[] = {u"<td class=\"x\">", u"a", u"アナタ", u"ｶﾅ", u"日目村人", u"◆「」～―∥",
                                  u"\U0001F600",  u"\xD800", u"\xDC00", u"\x80", std::u16string(1, u'\0'),
                                  u"\xFFFD",      u"\xFEFF", u"\xA5\x203E\xE9", u"𠮷", u"\U000E0041"};
  std::mt19937 rng(932);
  for (int n = 0; n < 2000; ++n) {
    std::u16string s;
    const int runs = std::uniform_int_distribution<int>(1, 60)(rng);
    for (int r = 0; r < runs; ++r) s += picks[rng() % std::size(picks)];
    ASSERT_TRUE(sameAsIconv(s));
  }
}

}  // namespace
}  // namespace jinro
