// Tests of the tips file: the count line, finding a tip among malformed lines, the uniform draw
// and the fallback text.
#include "files/tips_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>
#include <string>

namespace {

TEST(TipsFileTest, CountLine) {
  struct Case {
    int line;
    const char* contents;
    int count;
  };
  const Case kCases[] = {
      {__LINE__, "3\np 1\nA\n", 3},
      {__LINE__, "  12 \r\np 1\n", 12},
      {__LINE__, "", 0},
      {__LINE__, "\n3\n", 0},
      {__LINE__, "three\n", 0},
      {__LINE__, "-2\n", 0},
      {__LINE__, "0\n", 0},
      {__LINE__, "3x\n", 0},
      {__LINE__, "99999999999999999999\n", 0},
      {__LINE__, "1000001\n", 0},
      {__LINE__, "1000000", 1000000},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(TipCount(c.contents), c.count);
  }
}

TEST(TipsFileTest, FindsATipUpToTheNextTipLine) {
  const std::string file =
      "4\r\n"
      "p 1\r\n"
      "Press F2\r\n"
      "  to edit a cell. \r\n"
      "p 2\n"
      "First paragraph.\n"
      "\n"
      "\n"
      "Second paragraph.\n"
      "p 3\n"
      "p 4\n"
      "Last tip\n"
      "runs to the end";
  struct Case {
    int line;
    int number;
    bool found;
    const char* text;
  };
  const Case kCases[] = {
      {__LINE__, 1, true, "Press F2 to edit a cell."},
      {__LINE__, 2, true, "First paragraph.\nSecond paragraph."},
      {__LINE__, 3, false, ""},  // an empty tip
      {__LINE__, 4, true, "Last tip runs to the end"},
      {__LINE__, 5, false, ""},
      {__LINE__, 0, false, ""},
      {__LINE__, -1, false, ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    std::string text;
    EXPECT_EQ(FindTip(file, c.number, &text), c.found);
    if (c.found) {
      EXPECT_EQ(text, c.text);
    }
    EXPECT_EQ(TipOrFallback(file, c.number), c.found ? c.text : kFallbackTip);
  }
}

TEST(TipsFileTest, MalformedTipLinesAreNotTipStarts) {
  struct Case {
    int line;
    const char* contents;
    const char* tip1;  // nullptr: the fallback
  };
  const Case kCases[] = {
      {__LINE__, "1\np1\nnot a start\n", nullptr},
      {__LINE__, "1\nP 1\nupper case\n", nullptr},
      {__LINE__, "1\np 01\nleading zero\n", "leading zero"},
      {__LINE__, "1\np 1x\nbad number\n", nullptr},
      {__LINE__, "1\np 1 \ntrailing blank\n", "trailing blank"},
      {__LINE__, "1\np 2\nother\np 1\nthis one\n", "this one"},
      // The count line itself is never a tip start.
      {__LINE__, "p 1\nnever\n", nullptr},
      {__LINE__, "1\np 1\npx is text\n", "px is text"},
      {__LINE__, "1\np 1\n\xE9t\xE9\n", "\xE9t\xE9"},        // Windows-1252
      {__LINE__, "1\np 1\n\xC3\xA9t\xC3\xA9\n", "\xE9t\xE9"},  // UTF-8
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(TipOrFallback(c.contents, 1), c.tip1 ? c.tip1 : kFallbackTip);
  }
}

TEST(TipsFileTest, DrawCoversEveryTipEvenly) {
  // Every residue of the random value gives one tip number, so each of 1..count is drawn equally
  // often, the last included.
  for (int count : {1, 2, 7}) {
    SCOPED_TRACE(count);
    std::vector<int> hits(size_t(count) + 1, 0);
    for (uint64_t r = 0; r < uint64_t(count) * 10; ++r) ++hits[size_t(DrawTipNumber(count, r))];
    EXPECT_EQ(hits[0], 0);
    for (int n = 1; n <= count; ++n) EXPECT_EQ(hits[size_t(n)], 10) << n;
  }
  EXPECT_EQ(DrawTipNumber(0, 5), 0);
  EXPECT_EQ(DrawTipNumber(-3, 5), 0);
  EXPECT_EQ(DrawTipNumber(5, UINT64_MAX), int(UINT64_MAX % 5) + 1);
}

TEST(TipsFileTest, NextWrapsToTheFirst) {
  struct Case {
    int line, number, count, next;
  };
  const Case kCases[] = {
      {__LINE__, 1, 3, 2}, {__LINE__, 2, 3, 3}, {__LINE__, 3, 3, 1},
      {__LINE__, 1, 1, 1}, {__LINE__, 9, 3, 1}, {__LINE__, 0, 3, 1}, {__LINE__, 1, 0, 1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(NextTipNumber(c.number, c.count), c.next);
  }
}

TEST(TipsFileTest, ReadingStopsAtTheSizeLimitAndMissingFilesFail) {
  std::string contents = "x";
  EXPECT_FALSE(ReadTipsFile(testing::TempDir() + "no-such-tips-file.TPS", &contents));
  EXPECT_TRUE(contents.empty());
  const std::string name = testing::TempDir() + "big-tips-file.TPS";
  std::FILE* f = std::fopen(name.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  const std::string block(4096, 'a');
  for (size_t written = 0; written <= kMaxTipsFileBytes; written += block.size()) {
    std::fwrite(block.data(), 1, block.size(), f);
  }
  std::fclose(f);
  ASSERT_TRUE(ReadTipsFile(name, &contents));
  EXPECT_EQ(contents.size(), kMaxTipsFileBytes);
  std::remove(name.c_str());
}

}  // namespace
