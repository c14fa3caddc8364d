// Tests of the document information: limits, line ends, undo and the modified flag.
#include "commands/document_info.h"

#include <gtest/gtest.h>

#include <string>

#include "core/cell_store.h"
#include "sheet_fixture.h"

namespace {

class DocumentInfoTest : public SheetFixture {};

TEST_F(DocumentInfoTest, TextsAreCutAtTheirLimitsAndLineEndsBecomeCarriageReturns) {
  struct Case {
    int line;
    std::string title, comments;
    std::string storedTitle, storedComments;
  };
  const std::string longTitle(90, 't');
  const std::string longComments(300, 'c');
  const Case kCases[] = {
      {__LINE__, "Budget", "first\nsecond", "Budget", "first\rsecond"},
      {__LINE__, "", "a\r\nb\rc\n", "", "a\rb\rc\r"},
      {__LINE__, longTitle, longComments, std::string(80, 't'), std::string(255, 'c')},
      {__LINE__, std::string(80, 'x'), std::string(255, 'y'), std::string(80, 'x'),
       std::string(255, 'y')},
      // Each CR LF counts as one character: 127 pairs are 127 characters, not 254.
      {__LINE__, "t", std::string(127, 'z') + [] {
         std::string s;
         for (int i = 0; i < 127; ++i) s += "\r\n";
         return s;
       }(),
       "t", std::string(127, 'z') + std::string(127, '\r')},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    SetSheetModified(false);
    ASSERT_TRUE(SetDocumentInfo(c.title, c.comments).Done());
    const DocumentInfo info = CurrentDocumentInfo();
    EXPECT_EQ(info.title, c.storedTitle);
    EXPECT_EQ(info.comments, c.storedComments);
    EXPECT_TRUE(SheetModified());
  }
}

TEST_F(DocumentInfoTest, CommentLinesJoinAndSplitAtEveryKindOfLineEnd) {
  EXPECT_EQ(JoinCommentLines({"one", "two", "", "four"}), "one\rtwo\r\rfour");
  EXPECT_EQ(JoinCommentLines({}), "");
  EXPECT_EQ(SplitCommentLines("one\rtwo\r\nthree\nfour"),
            (std::vector<std::string>{"one", "two", "three", "four"}));
  EXPECT_EQ(SplitCommentLines(""), std::vector<std::string>{""});
  EXPECT_EQ(SplitCommentLines("a\r"), (std::vector<std::string>{"a", ""}));
}

TEST_F(DocumentInfoTest, OneUndoPutsBackBothTexts) {
  ASSERT_TRUE(SetDocumentInfo("Old", "old comment").Done());
  ASSERT_TRUE(SetDocumentInfo("New", "new\ncomment").Done());
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(CurrentDocumentInfo().title, "Old");
  EXPECT_EQ(CurrentDocumentInfo().comments, "old comment");
}

TEST_F(DocumentInfoTest, SingleTextsByNumber) {
  ASSERT_TRUE(SetDocumentInfo("Title", "Comments").Done());
  ASSERT_TRUE(SetDocumentText(1, "line 1\nline 2").Done());
  EXPECT_EQ(CurrentDocumentInfo().title, "Title");
  EXPECT_EQ(CurrentDocumentInfo().comments, "line 1\rline 2");
  ASSERT_TRUE(SetDocumentText(0, std::string(100, 'q')).Done());
  EXPECT_EQ(CurrentDocumentInfo().title, std::string(80, 'q'));
  ASSERT_TRUE(SetDocumentText(2, "further").Done());
  EXPECT_EQ(CurrentDocumentInfo().furtherText, "further");
  SetSheetModified(false);
  EXPECT_FALSE(SetDocumentText(3, "no such text").Done());
  EXPECT_FALSE(SetDocumentText(-1, "no such text").Done());
  EXPECT_FALSE(SheetModified());
}

}  // namespace
