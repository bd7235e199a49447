#include "base/text_scan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "reference/case_count.h"
#include "reference/text_scan_reference.h"

namespace jinro {
namespace {

// "ア" is 83 41: its second byte is "A". "ヂ" is 83 61: its second byte is "a".
const std::string kA = "\x83\x41";
const std::string kDi = "\x83\x61";

TEST(FindText, FoldsAsciiLettersAndPointsIntoTheCallersText) {
  const std::string page = "<HTML><HEAD><TITLE>Village</TITLE>";
  EXPECT_EQ(findText(page, 0, "<title>"), 12u);
  EXPECT_EQ(page.substr(findText(page, 0, "<title>"), 7), "<TITLE>");
  EXPECT_EQ(findText(page, 13, "<title>"), kNotFound);
  EXPECT_EQ(findText(page, 0, "</Title>"), 26u);
}

TEST(FindText, NeverStartsInsideADoubleByteCharacter) {
  // The pattern's first byte equals the second byte of the character before.
  EXPECT_EQ(findText(kA + "x", 0, "Ax"), kNotFound);
  EXPECT_EQ(findText(kA + "x", 0, "ax"), kNotFound);
  EXPECT_EQ(findText(kA + "Ax", 0, "ax"), 2u);
  // "\" (5C) as the second byte of "表" (95 5C).
  EXPECT_EQ(findText("\x95\x5C\\n", 0, "\\n"), 2u);
  // Character starts are counted from the search position.
  EXPECT_EQ(findText(kA + "A", 0, "A"), 2u);
  EXPECT_EQ(findText(kA + "A", 1, "A"), 1u);
  // A run of lead-valued bytes: 81 81 81 41 is two characters, so "A" never starts.
  EXPECT_EQ(findText("\x81\x81\x81\x41", 0, "A"), kNotFound);
  EXPECT_EQ(findText("\x81\x81\x81\x41", 1, "A"), 3u);
  // A long text, so that the block scan and its tail both see such cases.
  std::string longText(100, 'z');
  for (int k = 0; k < 20; ++k) longText += kA + "b";
  EXPECT_EQ(findText(longText, 0, "Ab"), kNotFound);
  EXPECT_EQ(findText(longText, 0, kA + "B"), 100u);
}

TEST(FindText, FoldsOnlySingleByteCharacters) {
  // Folding the second byte would make "ア" match "ヂ".
  EXPECT_EQ(findText(kDi, 0, kA), kNotFound);
  EXPECT_EQ(findText(kA, 0, kDi), kNotFound);
  EXPECT_EQ(findText("x" + kDi + kA, 0, kA), 3u);
  // Full-width letters do not fold either: "Ａ" (82 60) and "ａ" (82 81).
  EXPECT_EQ(findText("\x82\x81", 0, "\x82\x60"), kNotFound);
}

TEST(FindText, EmptyPatternsZeroBytesAndTheEnd) {
  EXPECT_EQ(findText("abc", 0, ""), 0u);
  EXPECT_EQ(findText("abc", 2, ""), 2u);
  EXPECT_EQ(findText("abc", 3, ""), kNotFound);
  EXPECT_EQ(findText("", 0, ""), kNotFound);
  EXPECT_EQ(findText("abc", 99, "a"), kNotFound);
  // The text ends at the first zero byte after the search position.
  const std::string zeroed("abc\0def", 7);
  EXPECT_EQ(findText(zeroed, 0, "def"), kNotFound);
  EXPECT_EQ(findText(zeroed, 3, ""), kNotFound);
  EXPECT_EQ(findText(zeroed, 4, "def"), 4u);
  // So does the pattern.
  EXPECT_EQ(findText("abcdef", 0, std::string("cd\0x", 4)), 2u);
  // A lone lead byte at the end is a character of its own.
  EXPECT_EQ(findText("ab\x83", 0, "\x83"), 2u);
  EXPECT_EQ(findText("ab\x83", 0, "b\x83"), 1u);
  EXPECT_EQ(findText("ab\x83", 0, kA), kNotFound);
  // A pattern longer than the text, and one that runs past the end.
  EXPECT_EQ(findText("abc", 0, "abcd"), kNotFound);
  EXPECT_EQ(findText(std::string(40, 'a'), 0, std::string(41, 'a')), kNotFound);
}

TEST(FindText, SearchesAFullPage) {
  std::string page(kSearchTextLimit - 9, 'x');
  page += "<B>done</B>";
  page.resize(kSearchTextLimit);
  EXPECT_EQ(page.size(), 511999u);
  EXPECT_EQ(findText(page, 0, "<b>DONE</"), kSearchTextLimit - 9);
  EXPECT_EQ(findText(page, 0, "<b>gone</"), kNotFound);
  EXPECT_EQ(findText(page, 0, "<b>DONE</b"), kNotFound);  // would run past the end
}

TEST(AppendText, CopiesUpToTheZeroByte) {
  std::string dest = "ab";
  EXPECT_EQ(appendText(dest, std::string("cd\0e", 4)), 2u);
  EXPECT_EQ(dest, "abcd");
  EXPECT_EQ(appendText(dest, std::string_view(dest).substr(0, 2)), 2u);  // from itself
  EXPECT_EQ(dest, "abcdab");
}

TEST(InsertBefore, ChangesOnlyTheFirstOccurrence) {
  const std::string base = "http://127.0.0.1:8399/jinro/";
  std::string page = "<form action=\"cgi_jinro.cgi\"><a href=\"cgi_jinro.cgi?x\">";
  EXPECT_TRUE(insertBefore(page, "cgi_jinro.cgi", base));
  EXPECT_EQ(page, "<form action=\"" + base + "cgi_jinro.cgi\"><a href=\"cgi_jinro.cgi?x\">");
  std::string plain = "<p>no link</p>";
  EXPECT_FALSE(insertBefore(plain, "cgi_jinro.cgi", base));
  EXPECT_EQ(plain, "<p>no link</p>");
}

TEST(InsertBefore, ResultMustFitTheLimit) {
  std::string text = "abcd";
  EXPECT_FALSE(insertBefore(text, "c", "xy", 5));
  EXPECT_EQ(text, "abcd");
  EXPECT_TRUE(insertBefore(text, "c", "xy", 6));
  EXPECT_EQ(text, "abxycd");
  std::string full(kSearchTextLimit, 'q');
  EXPECT_FALSE(insertBefore(full, "q", "r"));
  EXPECT_EQ(full.size(), kSearchTextLimit);
  // A changed text ends at its zero byte; an unchanged one keeps everything.
  std::string zeroed("abc\0tail", 8);
  EXPECT_FALSE(insertBefore(zeroed, "tail", "x"));
  EXPECT_EQ(zeroed.size(), 8u);
  EXPECT_TRUE(insertBefore(zeroed, "b", "x"));
  EXPECT_EQ(zeroed, "axbc");
}

TEST(ReplaceFirst, FindsCapitalTagsAndReplacesTheirBytes) {
  std::string row = "<TR><TD>a</TD></TR><tr>";
  EXPECT_TRUE(replaceFirst(row, "</tr>", "\r\n"));
  EXPECT_EQ(row, "<TR><TD>a</TD>\r\n<tr>");
  EXPECT_FALSE(replaceFirst(row, "</tr>", "\r\n"));
  EXPECT_EQ(row, "<TR><TD>a</TD>\r\n<tr>");
  std::string limited = "ab";
  EXPECT_FALSE(replaceFirst(limited, "a", "xyz", 3));
  EXPECT_EQ(limited, "ab");
  EXPECT_TRUE(replaceFirst(limited, "a", "xy", 3));
  EXPECT_EQ(limited, "xyb");
  // A replacement taken from the text itself.
  std::string self = "abcabc";
  EXPECT_TRUE(replaceFirst(self, "b", std::string_view(self).substr(3, 3)));
  EXPECT_EQ(self, "aabccabc");
}

TEST(ReplaceAll, EqualsTheLoopOfReplaceFirst) {
  const std::string base = "http://127.0.0.1:8399/jinro/";
  std::string page = "<img src=\"./a.gif\">../b ./";
  EXPECT_EQ(replaceAll(page, "./", base), 3u);
  EXPECT_EQ(page, "<img src=\"" + base + "a.gif\">." + base + "b " + base);
  // Removing "ab" from "aabb" makes a new "ab" across the gap: the loop,
  // which searches from the start each time, removes that one too.
  std::string gap = "xaabby";
  EXPECT_EQ(replaceAll(gap, "ab", ""), 2u);
  EXPECT_EQ(gap, "xy");
  // The replacement completes a match with the byte before it.
  std::string left = "aab";
  EXPECT_EQ(replaceAll(left, "ab", "b"), 2u);
  EXPECT_EQ(left, "b");
  // "ん「" gets a space, once per place.
  std::string names = "\x82\xF1\x81\x75\x82\xF1\x81\x75";
  EXPECT_EQ(replaceAll(names, "\x82\xF1\x81\x75", "\x82\xF1 \x81\x75"), 2u);
  EXPECT_EQ(names, "\x82\xF1 \x81\x75\x82\xF1 \x81\x75");
}

TEST(ReplaceAll, LoopsThatWouldNotEndStopAtTheLimit) {
  // The replacement holds the pattern: it grows until the next would not fit.
  std::string grow = "xa";
  EXPECT_EQ(replaceAll(grow, "a", "ab", 10), 8u);
  EXPECT_EQ(grow, "xabbbbbbbb");
  // An empty pattern matches at the start of a non-empty text.
  std::string front = "ab";
  EXPECT_EQ(replaceAll(front, "", "xy", 7), 2u);
  EXPECT_EQ(front, "xyxyab");
  std::string empty;
  EXPECT_EQ(replaceAll(empty, "", "xy", 7), 0u);
  EXPECT_EQ(empty, "");
  // Same length, matching itself again: stopped after limit + 1 rounds.
  std::string same = "abc";
  EXPECT_EQ(replaceAll(same, "b", "B", 50), 51u);
  EXPECT_EQ(same, "aBc");
  std::string nothing = "abc";
  EXPECT_EQ(replaceAll(nothing, "", "", 50), 51u);
  EXPECT_EQ(nothing, "abc");
  // The default limit: a few hundred thousand rounds, still quick.
  std::string big = "a";
  EXPECT_EQ(replaceAll(big, "", "b"), kSearchTextLimit - 1);
  EXPECT_EQ(big.size(), kSearchTextLimit);
  // The limit stops the loop; the replacements before it stay.
  std::string part = "a a a";
  EXPECT_EQ(replaceAll(part, "a", "bbb", 10), 2u);
  EXPECT_EQ(part, "bbb bbb a");
}

// ---------------------------------------------------------------------------
// The fast primitives against the reference, on small random cases built to
// hit the hard spots: lead bytes and second bytes equal to pattern bytes,
// capitals, zero bytes, texts around the block size of the scan, limits just
// below and above the result.

class Random {
 public:
  explicit Random(uint64_t seed) : s_(seed) {}
  uint32_t next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 7;
    s_ ^= s_ << 17;
    return static_cast<uint32_t>(s_ >> 11);
  }
  size_t below(size_t n) { return n ? next() % n : 0; }

  char byte() {
    static const unsigned char kBytes[] = {'a', 'A', 'b', 'B', 't', 'r', '<', '>', '/', '.', ' ', 0x40, 0x41, 0x61,
                                           0x7E, 0x7F, 0x80, 0x81, 0x82, 0x83, 0x9F, 0xA0, 0xB1, 0xDF, 0xE0, 0xFC,
                                           0xFD, 0xFF};
    if (below(200) == 0) return '\0';
    return static_cast<char>(kBytes[below(sizeof kBytes)]);
  }
  std::string text(size_t maxLength) {
    const size_t n = below(2) == 0 ? below(maxLength + 1) : below(24);
    std::string s;
    for (size_t k = 0; k < n; ++k) s += byte();
    return s;
  }
  // Half of the patterns are cut from the text (some letters flipped in case).
  std::string pattern(const std::string& text) {
    std::string p;
    if (!text.empty() && below(2) == 0) {
      const size_t start = below(text.size());
      p = text.substr(start, below(7));
      for (char& c : p)
        if (((c | 0x20) >= 'a' && (c | 0x20) <= 'z') && below(2) == 0) c ^= 0x20;
    } else {
      const size_t n = below(6);
      for (size_t k = 0; k < n; ++k) p += byte();
    }
    return p;
  }

 private:
  uint64_t s_;
};

std::string show(const std::string& s) {
  std::string out;
  static const char kHex[] = "0123456789ABCDEF";
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

TEST(TextScanAgainstReference, FindText) {
  Random rng(20261209);
  const int cases = reference::caseCount(1000000);
  for (int k = 0; k < cases; ++k) {
    const std::string text = rng.text(100);
    const std::string pattern = rng.pattern(text);
    const size_t from = rng.below(text.size() + 2);
    const size_t fast = findText(text, from, pattern);
    const size_t slow = reference::findText(text, from, pattern);
    const size_t portable = text_scan_detail::findTextPortable(text, from, pattern);
    if (fast != slow || portable != slow) {
      FAIL() << "case " << k << ": text \"" << show(text) << "\" from " << from << " pattern \"" << show(pattern)
             << "\": " << fast << " (portable scan " << portable << ") instead of " << slow;
    }
  }
}

TEST(TextScanAgainstReference, Edits) {
  Random rng(77);
  const int cases = reference::caseCount(150000);
  for (int k = 0; k < cases; ++k) {
    const std::string text = rng.text(60);
    const std::string pattern = rng.pattern(text);
    std::string other;
    const size_t n = rng.below(5);
    for (size_t j = 0; j < n; ++j) other += rng.byte();
    const size_t length = std::string_view(text.c_str()).size();
    const size_t limit = length + rng.below(40) - std::min<size_t>(length, 3);
    const std::string where = "text \"" + show(text) + "\" pattern \"" + show(pattern) + "\" other \"" +
                              show(other) + "\" limit " + std::to_string(limit);

    std::string a = text, b = text;
    ASSERT_EQ(insertBefore(a, pattern, other, limit), reference::insertBefore(b, pattern, other, limit)) << where;
    ASSERT_EQ(a, b) << "insertBefore " << where;

    a = text, b = text;
    ASSERT_EQ(replaceFirst(a, pattern, other, limit), reference::replaceFirst(b, pattern, other, limit)) << where;
    ASSERT_EQ(a, b) << "replaceFirst " << where;

    a = text, b = text;
    ASSERT_EQ(replaceAll(a, pattern, other, limit), reference::replaceAll(b, pattern, other, limit)) << where;
    ASSERT_EQ(a, b) << "replaceAll " << where;

    // Pairs that may be done in one pass: letters and marks around a
    // replacement that starts and ends unlike the pattern.
    a = text, b = text;
    const std::string tail = other + "h";
    ASSERT_EQ(replaceAll(a, "./", tail, limit + 20), reference::replaceAll(b, "./", tail, limit + 20)) << where;
    ASSERT_EQ(a, b) << "replaceAll ./ " << where;

    a = text, b = text;
    ASSERT_EQ(appendText(a, other), reference::appendText(b, other));
    ASSERT_EQ(a, b);
  }
}

TEST(TextScanAgainstReference, DefaultLimitOnAFullArea) {
  // The edits with their 512,000-byte area, on texts near the limit.
  Random rng(5);
  for (int k = 0; k < reference::caseCount(24); ++k) {
    std::string text(kSearchTextLimit - rng.below(6), 'x');
    for (int j = 0; j < 20; ++j) text[rng.below(text.size())] = rng.byte();
    text.back() = 'q';
    const std::string pattern = rng.below(2) ? std::string("q") : rng.pattern(text);
    const std::string other = std::string(rng.below(8), 'y');
    std::string a = text, b = text;
    ASSERT_EQ(insertBefore(a, pattern, other), reference::insertBefore(b, pattern, other));
    ASSERT_EQ(a, b);
    a = text, b = text;
    ASSERT_EQ(replaceFirst(a, pattern, other), reference::replaceFirst(b, pattern, other));
    ASSERT_EQ(a, b);
  }
}

}  // namespace
}  // namespace jinro
