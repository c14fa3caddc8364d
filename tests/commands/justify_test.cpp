// tests/commands/justify_test.cpp — Range Justify: reflow, padding, centring, the refusals. The
// headless platform measures 8 pixels a character; width 100 leaves lines of at most 11.
#include "commands/justify.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/commands.h"
#include "commands/engine_start.h"
#include "commands/worksheet_files.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "formula/formula_text.h"
#include "platform/headless/headless_platform.h"

namespace {

class JustifyTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetEngineState();
    ASSERT_NE(NewWorksheet("SHEET1.WKS"), 0);
    Enter("A1", "'the quick brown");
    Enter("A2", "'fox jumps over");
    Enter("A3", "'the lazy dog");
  }
  void TearDown() override { ResetEngineState(); }

  static void Enter(const std::string& ref, const std::string& text) {
    const ParsedCell p = ParseCellRef(ref);
    ASSERT_TRUE(EnterIntoCell(p.row, p.column, text).Done()) << ref << " " << text;
  }
  static std::string Column(int rows) {
    std::string out;
    for (int r = 0; r < rows; ++r) out += (r ? "|" : "") + CellContentsText(GetCell(uint32_t(r), 0));
    return out;
  }
};

TEST_F(JustifyTest, WordsWrapGreedilyAndPaddingWidensTheGaps) {
  struct Case {
    bool pad;
    const char* expected;
  } cases[] = {
      {false, "'the quick|'brown fox|'jumps over|'the lazy|'dog|"},
      {true, "'the   quick|'brown   fox|'jumps  over|'the    lazy|'dog|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pad);
    SetUp();
    ASSERT_TRUE(JustifyRange(ParseRange("A1..A6"), 100, c.pad, false).Done());
    EXPECT_EQ(Column(6), c.expected);
  }
}

TEST_F(JustifyTest, TooFewRowsOrOtherContentsLeaveTheSheetAlone) {
  const std::string before = Column(4);
  EXPECT_EQ(JustifyRange(ParseRange("A1..A4"), 100, false, false).message, " RANGE too Small. Expand it!");
  EXPECT_EQ(Column(4), before);
  Enter("B2", "5");
  EXPECT_EQ(JustifyRange(ParseRange("A1..B6"), 100, false, false).message,
            "Cannot Justify: B2 is not a label of the first column");
  EXPECT_EQ(Column(4), before);
  EXPECT_EQ(CellContentsText(GetCell(1, 1)), "5");
}

TEST_F(JustifyTest, CentreAddsBlanksAlternatelyAtTheEndAndTheFront) {
  Enter("A1", "'  ab ");
  ASSERT_TRUE(JustifyRange(ParseRange("A1..A1"), 100, false, true).Done());
  EXPECT_EQ(CellContentsText(GetCell(0, 0)), "'    ab     ");
}

TEST_F(JustifyTest, WordLinesComeOutAsEntryTextsAndGoBackAsEntries) {
  Enter("A4", "+1+2");
  EXPECT_EQ(WordLines(ParseRange("A2..B5")),
            (std::vector<std::string>{"'fox jumps over", "'the lazy dog", "+1+2", ""}));
  // Lines past the block continue downward; an empty line empties a cell; a refused line keeps
  // its cell and the rest are still written.
  const CommandResult r = EnterWordLines(ParseRange("A1..A2"), {"'one", "", "@SUM(", "7", "'five"});
  EXPECT_EQ(r.status, CommandStatus::kFormulaError);
  EXPECT_EQ(Column(5), "'one||'the lazy dog|7|'five");
  EXPECT_EQ(CellNumber(CellAt(GetCell(3, 0))), 7);
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(Column(5), "'the quick brown|'fox jumps over|'the lazy dog|+1+2|");
}

}  // namespace
