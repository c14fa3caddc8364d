// tests/commands/labels_test.cpp — label prefixes, alignment and case conversion on a block.
#include "commands/labels.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/commands.h"
#include "commands/engine_start.h"
#include "commands/worksheet_files.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "core/global_options.h"
#include "formula/formula_text.h"
#include "platform/headless/headless_platform.h"
#include "sheet_fixture.h"

namespace {

class LabelsTest : public SheetFixture {
 protected:
  static int Alignment(const std::string& ref) {
    const ParsedCell p = ParseCellRef(ref);
    const CellHandle h = GetCell(p.row, p.column);
    return h ? CellAlignment(CellAt(h)->style) : -1;
  }
};

TEST_F(LabelsTest, SetLabelPrefixByCode) {
  struct Case {
    int code;
    const char* a1;  // A1 was 'abc; A2 was '/cmd; A3 empty; B1 the number 5
    const char* a3;
    int alignment;   // of A1 afterwards
  } cases[] = {
      {1, "'abc", "'", 0},
      {2, "\"abc", "\"", 0},
      {3 | kPrefixAlsoAlignment, "^abc", "^", 3},
      {5, "\xAB" "abc", "\xAB", 0},
      {6 | kPrefixAlsoAlignment, "\xBB" "abc", "\xBB", 6},
      // Code 0 is the sheet's default prefix, never a character of its own.
      {0 | kPrefixAlsoAlignment, "'abc", "'", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    ResetEngineState();
    ASSERT_NE(NewWorksheet("SHEET1.WKS"), 0);
    Enter("A1", "^abc");
    Enter("A2", "'/cmd");
    Enter("B1", "5");
    ASSERT_TRUE(SetRangeAlignment(ParseRange("A1"), 4).Done());
    ASSERT_TRUE(SetLabelPrefix(ParseRange("A1..B3"), c.code).Done());
    EXPECT_EQ(Text("A1"), c.a1);
    EXPECT_EQ(Text("A2"), "'/cmd");  // a "/" label keeps its prefix
    EXPECT_EQ(Text("A3"), c.a3);
    EXPECT_EQ(Text("B1"), "5");
    EXPECT_EQ(Alignment("A1"), (c.code & kPrefixAlsoAlignment) ? c.alignment : 4);
  }
}

TEST_F(LabelsTest, CodeSevenAndProtectionChangeNothing) {
  Enter("A1", "'abc");
  const CommandResult r = SetLabelPrefix(ParseRange("A1..A2"), 7);
  EXPECT_EQ(r.message, "Invalid Justification!\nCode = 7");
  EXPECT_EQ(Text("A1"), "'abc");
  EXPECT_EQ(GetCell(1, 0), 0u);
  ASSERT_TRUE(SetSheetProtection(true).Done());
  EXPECT_TRUE(SetLabelPrefix(ParseRange("A1..A2"), 3).Done());
  EXPECT_TRUE(ConvertLabels(ParseRange("A1"), 1).Done());
  EXPECT_EQ(Text("A1"), "'abc");
  EXPECT_EQ(GetCell(1, 0), 0u);
}

TEST_F(LabelsTest, ReplaceLabelPrefixTakesOnlyPrefixCharacters) {
  Enter("A1", "'abc");
  Enter("A2", "7");
  EXPECT_TRUE(ReplaceLabelPrefix(ParseRange("A1..A3"), '^').Done());
  EXPECT_EQ(Text("A1"), "^abc");
  EXPECT_EQ(Text("A2"), "7");
  EXPECT_EQ(GetCell(2, 0), 0u);
  EXPECT_EQ(ReplaceLabelPrefix(ParseRange("A1"), 'x').status, CommandStatus::kFailed);
  EXPECT_EQ(Text("A1"), "^abc");
}

TEST_F(LabelsTest, ConvertLabelsByMode) {
  struct Case {
    int mode;
    const char* before;
    const char* after;
  } cases[] = {
      {0, "'Hello World", "'hello world"},
      {1, "^Hello World", "^HELLO WORLD"},
      {2, "'hELLO wORLD  x", "'Hello World  X"},
      {3, "' a  b    c ", "'a b c"},
      {4, "' a  b c ", "'abc"},
      {5, "'a\x01" "b\xE9" "c", "'abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    Enter("A1", c.before);
    ASSERT_TRUE(ConvertLabels(ParseRange("A1"), c.mode).Done());
    EXPECT_EQ(Text("A1"), c.after);
  }
  EXPECT_EQ(ConvertLabels(ParseRange("A1"), 6).status, CommandStatus::kFailed);
}

TEST_F(LabelsTest, FormulasReadTheNewTextAndUndoPutsItBack) {
  Enter("A1", "'abc");
  Enter("B1", "+A1");
  const auto b1 = [] { return PoolText(CellStringResult(CellAt(GetCell(0, 1)))); };
  ASSERT_EQ(b1(), "abc");
  ASSERT_TRUE(ConvertLabels(ParseRange("A1"), 1).Done());
  EXPECT_EQ(Text("A1"), "'ABC");
  EXPECT_EQ(b1(), "ABC");
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(Text("A1"), "'abc");
  EXPECT_EQ(b1(), "abc");
}

}  // namespace
