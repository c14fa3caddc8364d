// tests/macros/sheet_changes_test.cpp — macro changes run as worksheet commands: one Undo per
// macro command and per keystroke entry; the range attribute commands.
#include <vector>

#include "commands/commands.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/graph_definition.h"
#include "core/sheet_layout.h"
#include "core/worksheets.h"
#include "macro_fixture.h"

namespace {

class MacroSheetChangesTest : public MacroTest {
 protected:
  static CellRecord* Record(std::string_view cell) {
    const ParsedCell c = ParseCellRef(cell);
    const CellHandle h = GetCell(c.row, c.column);
    return h ? CellAt(h) : nullptr;
  }
  static uint32_t ColourWord(std::string_view cell) {
    const CellRecord* c = Record(cell);
    if (!c) return 0;
    return uint32_t(c->shade[0]) | uint32_t(c->shade[1]) << 8 | uint32_t(c->shade[2]) << 16 |
           uint32_t(c->colour) << 24;
  }
  // The contents of the cells, joined by "|".
  static std::string Sheet(std::initializer_list<std::string_view> cells) {
    std::string out;
    for (std::string_view cell : cells) out += Contents(cell) + "|";
    out.pop_back();
    return out;
  }
};

TEST_F(MacroSheetChangesTest, EachMacroCommandIsOneUndo) {
  struct Case {
    int line;
    const char* macro;
    // What A1, A2, B1 hold after the macro, then after each Undo.
    std::vector<std::string> steps;
  };
  const Case kCases[] = {
      {__LINE__, "{LET A1,1}{LET A2,2}{LET A1,3}", {"3|2|", "1|2|", "1||", "||"}},
      // The counter entries of FOR and each NEXT are one group each; the LETs too.
      {__LINE__, "{FOR B1,1,2,1}{LET A1,A1+B1}{NEXT}", {"3||2", "1||2", "1||1", "||1", "||"}},
      // One command changing several cells comes back whole.
      {__LINE__, "{LET A1,1}{COPY A1,A2..B2}{BLANK A1..A2}", {"||", "1|1|", "1||", "||"}},
      // Keystroke entries: each "~" is one group, the arrow keys none.
      {__LINE__, "ab~{DOWN}7~{LET B1,A2*2}", {"'ab|7|14", "'ab|7|", "'ab||", "||"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    ResetMacroState();
    ResetEngineState();
    ActivateWorksheet(CreateWorksheetWindow("UNDO.WKS"));
    RunText(c.macro);
    ASSERT_EQ(Messages(), "");
    for (size_t i = 0; i < c.steps.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(Sheet({"A1", "A2", "B1"}), c.steps[i]);
      if (i + 1 < c.steps.size()) {
        EXPECT_TRUE(UndoLastCommand().Done());
      }
    }
    EXPECT_FALSE(UndoLastCommand().Done());  // nothing left: no empty groups from jumps or moves
  }
}

TEST_F(MacroSheetChangesTest, LayoutNamesAndGraphCommandsAreUndoneWhole) {
  const uint16_t width = CurrentLayout().columnWidth[1];
  const uint8_t type = CurrentGraph().type();
  RunText("{COLWIDTH B1..D1,12}{RANGECREATE \"TOTAL\",A1..A5}{GRAPHTYPE 3}");
  ASSERT_EQ(Messages(), "");
  ASSERT_EQ(CurrentGraph().type(), 3);
  EXPECT_TRUE(SheetModified());
  EXPECT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(CurrentGraph().type(), type);
  EXPECT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(LookupName("TOTAL"), 0);
  EXPECT_TRUE(UndoLastCommand().Done());
  for (int column = 1; column <= 3; ++column) EXPECT_EQ(CurrentLayout().columnWidth[column], width);
  EXPECT_FALSE(UndoLastCommand().Done());
}

TEST_F(MacroSheetChangesTest, UndoCommandUndoesThePreviousMacroCommand) {
  RunText("{LET A1,1}{LET A2,2}{UNDO}{UNDO}");
  EXPECT_EQ(Sheet({"A1", "A2"}), "|");
  // The UNDO commands' own groups are empty and leave what they undid to Redo.
  EXPECT_TRUE(RedoLastCommand().Done());
  EXPECT_TRUE(RedoLastCommand().Done());
  EXPECT_EQ(Sheet({"A1", "A2"}), "1|2");
  RunText("{UNDO}{LET B1,5}");
  EXPECT_EQ(Sheet({"A1", "A2", "B1"}), "1||5");
  EXPECT_FALSE(RedoLastCommand().Done());  // a new change drops what was undone
}

TEST_F(MacroSheetChangesTest, RangeAttributeCommands) {
  struct Case {
    int line;
    bool protection;
    const char* macro;
    const char* message;
    uint8_t formatA1, formatB2;  // the format bytes afterwards (0xFF: the blank template's)
    uint32_t colourB2;
  };
  const uint8_t f2 = ParseFormatLetters("F2");
  const uint8_t c0 = ParseFormatLetters("C0");
  const Case kCases[] = {
      {__LINE__, false, "{RANGEFORMAT A1..B2,\"F2\"}", "", uint8_t(0x80 | f2), f2, 0xC0000000},
      {__LINE__, false, "{RANGEFORMAT A1..B2,\"C0 and more\"}", "", uint8_t(0x80 | c0), c0,
       0xC0000000},
      {__LINE__, false, "{RANGEFORMAT NUL,\"F2\"}", "Syntax Error: ", 0x80 | 0x7F, 0, 0},
      {__LINE__, false, "{RANGEFORMAT A1,12}", "Syntax Error: ", 0x80 | 0x7F, 0, 0},
      // Under protection only the unlocked cell B2 takes the format.
      {__LINE__, true, "{RANGEFORMAT A1..B2,\"F2\"}", "", 0x80 | 0x7F, f2, 0xC0000000},
      {__LINE__, false, "{RANGELOCK A1..B2,0}", "", 0x7F, 0x7F, 0xC0000000},
      {__LINE__, false, "{RANGELOCK B2,1}", "", 0x80 | 0x7F, 0x80 | 0x7F, 0xC0000000},
      {__LINE__, true, "{RANGELOCK A1..B2,1}", "Protected Cell", 0x80 | 0x7F, 0x7F, 0xC0000000},
      {__LINE__, false, "{RANGECOLOR A1..B2,197121,5}", "", 0x80 | 0x7F, 0x7F, 0x05030201},
      {__LINE__, false, "{RANGECOLOR B2,255,128}", "", 0x80 | 0x7F, 0x7F, 0x800000FF},
      {__LINE__, true, "{RANGECOLOR A1..B2,255,0}", "", 0x80 | 0x7F, 0x7F, 0x000000FF},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    ResetMacroState();
    ResetEngineState();
    ActivateWorksheet(CreateWorksheetWindow("RANGE.WKS"));
    Enter("A1", "1.5");
    Enter("B2", "'x");
    Record("B2")->format = 0x7F;  // unlocked, default format
    if (c.protection) Options().setProtection(true);
    RunText(c.macro);
    EXPECT_EQ(Messages(), c.message);
    ASSERT_NE(Record("A1"), nullptr);
    EXPECT_EQ(Record("A1")->format, c.formatA1);
    if (c.colourB2 != 0) {
      EXPECT_EQ(ColourWord("B2"), c.colourB2);
    }
    if (c.formatB2 != 0) {
      EXPECT_EQ(Record("B2")->format, c.formatB2);
    }
  }
}

TEST_F(MacroSheetChangesTest, RangeColourCreatesMissingCellsAndComesBackWithUndo) {
  RunText("{RANGECOLOR C3..C4,65280,3}");
  ASSERT_NE(Record("C4"), nullptr);
  EXPECT_EQ(ColourWord("C3"), 0x0300FF00u);
  EXPECT_EQ(ColourWord("C4"), 0x0300FF00u);
  EXPECT_TRUE(UndoLastCommand().Done());
  EXPECT_TRUE(Record("C3") == nullptr || ColourWord("C3") == 0xC0000000u);
}

}  // namespace
