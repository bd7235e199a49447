// Inputs the fuzz targets (fuzz/) found faults with, kept as plain cases.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "monitor/page_analysis.h"
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

}  // namespace
}  // namespace jinro
