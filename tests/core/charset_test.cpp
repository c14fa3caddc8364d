// tests/core/charset_test.cpp — Windows-1252 to and from UTF-8.
#include "core/charset.h"

#include <gtest/gtest.h>

namespace {

TEST(CharsetTest, Utf8TextsBecomeWindows1252AndComeBack) {
  struct Case {
    int line;
    const char* utf8;
    const char* bytes;
  };
  const Case kCases[] = {
      {__LINE__, "plain", "plain"},
      {__LINE__, "caf\xC3\xA9", "caf\xE9"},
      {__LINE__,
       "\xE2\x82\xAC"
       "5",
       "\x80"
       "5"},
      {__LINE__, "\xC5\x92uvre \xE2\x80\x9Cquoted\xE2\x80\x9D", "\x8Cuvre \x93quoted\x94"},
      {__LINE__, "\xC3\xBF\xC5\xB8", "\xFF\x9F"},  // y with diaeresis, small and capital
      {__LINE__, "\xC2\xA0\xC2\xAB\xC2\xBB", "\xA0\xAB\xBB"},
      {__LINE__, "\xC2\x81", "\x81"},  // an undefined byte stands for its control character
      {__LINE__, "", ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    std::string bytes = "untouched";
    ASSERT_TRUE(Utf8ToWindows1252(c.utf8, &bytes));
    EXPECT_EQ(bytes, c.bytes);
    EXPECT_EQ(Windows1252ToUtf8(bytes), c.utf8);
  }
}

TEST(CharsetTest, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += char(b);
  std::string back;
  ASSERT_TRUE(Utf8ToWindows1252(Windows1252ToUtf8(all), &back));
  EXPECT_EQ(back, all);
}

TEST(CharsetTest, CharactersTheSetLacksAndMalformedUtf8AreRefusedWithWhere) {
  struct Case {
    int line;
    std::string utf8;
    size_t offset;
    uint32_t codePoint;
    const char* message;
  };
  const Case kCases[] = {
      {__LINE__, "Z\xC4\x81", 1, 0x101,
       "the character \"\xC4\x81\" (U+0101) is not in the Windows-1252 character set"},
      {__LINE__, "ab\xE2\x86\x92", 2, 0x2192,
       "the character \"\xE2\x86\x92\" (U+2192) is not in the Windows-1252 character set"},
      {__LINE__, "\xF0\x9F\x98\x80", 0, 0x1F600,
       "the character \"\xF0\x9F\x98\x80\" (U+1F600) is not in the Windows-1252 character set"},
      {__LINE__, "caf\xE9", 3, 0, "malformed UTF-8 at byte 4"},       // a Latin-1 byte
      {__LINE__, "\xC3", 0, 0, "malformed UTF-8 at byte 1"},          // cut short
      {__LINE__, "a\xC0\xAF", 1, 0, "malformed UTF-8 at byte 2"},     // overlong "/"
      {__LINE__, "\xED\xA0\x80", 0, 0, "malformed UTF-8 at byte 1"},  // a surrogate
      {__LINE__, "\xF4\x90\x80\x80", 0, 0, "malformed UTF-8 at byte 1"},
      {__LINE__, "x\x80", 1, 0, "malformed UTF-8 at byte 2"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    std::string out = "untouched";
    CharsetProblem problem;
    EXPECT_FALSE(Utf8ToWindows1252(c.utf8, &out, &problem));
    EXPECT_EQ(out, "untouched");
    EXPECT_EQ(problem.offset, c.offset);
    EXPECT_EQ(problem.codePoint, c.codePoint);
    EXPECT_EQ(DescribeCharsetProblem(problem), c.message);
  }
}

}  // namespace
