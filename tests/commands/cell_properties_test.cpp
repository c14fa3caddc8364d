// tests/commands/cell_properties_test.cpp — the attribute groups of the Properties dialog and the
// width and height commands over ranges.
#include "commands/cell_properties.h"

#include <gtest/gtest.h>

#include "commands/sheet_fixture.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/sheet_layout.h"
#include "core/worksheets.h"

namespace {

class CellPropertiesTest : public SheetFixture {
 protected:
  static const CellRecord* Cell(const char* ref) {
    const ParsedCell p = ParseCellRef(ref);
    const CellHandle h = GetCell(p.row, p.column);
    return h ? CellAt(h) : nullptr;
  }
  static int Borders(const char* ref) {
    const CellRecord* c = Cell(ref);
    return c ? c->borders : -1;
  }
  static CellProperties Border(BorderLine line, BorderEdges edges) {
    CellProperties p;
    p.groups = kPropertyBorder;
    p.borderLine = line;
    p.borderEdges = edges;
    return p;
  }
};

TEST_F(CellPropertiesTest, BordersFollowTheCellsPlaceInTheRange) {
  struct Case {
    int line;
    BorderLine borderLine;
    BorderEdges edges;
    const char* ref;
    int borders;
  };
  const Case kCases[] = {
      {__LINE__, BorderLine::kSingle, BorderEdges::kOut, "B2", 0x41},
      {__LINE__, BorderLine::kSingle, BorderEdges::kOut, "B3", 0x01},
      {__LINE__, BorderLine::kSingle, BorderEdges::kOut, "C2", 0x40},
      {__LINE__, BorderLine::kSingle, BorderEdges::kOut, "C3", 0x00},
      {__LINE__, BorderLine::kSingle, BorderEdges::kOut, "D4", 0x14},
      {__LINE__, BorderLine::kSingle, BorderEdges::kOut, "D2", 0x50},
      {__LINE__, BorderLine::kSingle, BorderEdges::kIn, "C3", 0x55},
      {__LINE__, BorderLine::kSingle, BorderEdges::kIn, "B2", 0x14},
      {__LINE__, BorderLine::kSingle, BorderEdges::kIn, "D4", 0x41},
      {__LINE__, BorderLine::kThick, BorderEdges::kAll, "B2", 0xAA},
      {__LINE__, BorderLine::kThick, BorderEdges::kAll, "C3", 0xAA},
      {__LINE__, BorderLine::kThick, BorderEdges::kAll, "D4", 0xAA},
      {__LINE__, BorderLine::kThick, BorderEdges::kOut, "B4", 0x0A},
      {__LINE__, BorderLine::kSingle, BorderEdges::kClear, "B2", 0x00},
      {__LINE__, BorderLine::kNone, BorderEdges::kAll, "C3", 0x00},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    // Start from every edge thick, so that each case also shows what it removes.
    ASSERT_TRUE(ApplyCellProperties(ParseRange("B2..D4"),
                                    Border(BorderLine::kThick, BorderEdges::kAll))
                    .Done());
    ASSERT_TRUE(ApplyCellProperties(ParseRange("B2..D4"), Border(c.borderLine, c.edges)).Done());
    EXPECT_EQ(Borders(c.ref), c.borders);
  }
}

TEST_F(CellPropertiesTest, OneCellRangeHasEveryEdgeOnTheOutside) {
  ASSERT_TRUE(ApplyCellProperties(ParseRange("C3"), Border(BorderLine::kSingle, BorderEdges::kOut)).Done());
  EXPECT_EQ(Borders("C3"), 0x55);
  ASSERT_TRUE(ApplyCellProperties(ParseRange("C3"), Border(BorderLine::kSingle, BorderEdges::kIn)).Done());
  EXPECT_EQ(Borders("C3"), 0x00);
}

TEST_F(CellPropertiesTest, NoGroupTouchedCreatesNoCells) {
  CellProperties p;
  p.format = 0x02;
  ASSERT_TRUE(ApplyCellProperties(ParseRange("A1..C3"), p).Done());
  EXPECT_EQ(Cell("A1"), nullptr);
  EXPECT_EQ(Cell("C3"), nullptr);
  EXPECT_FALSE(HasUndo());
}

TEST_F(CellPropertiesTest, FormatAndLockKeepEachOthersBit) {
  Enter("A1", "5");
  CellProperties lock;
  lock.groups = kPropertyLock;
  lock.locked = false;
  ASSERT_TRUE(ApplyCellProperties(ParseRange("A1"), lock).Done());
  CellProperties format;
  format.groups = kPropertyFormat;
  format.format = 0x02;  // fixed, two decimals
  ASSERT_TRUE(ApplyCellProperties(ParseRange("A1"), format).Done());
  EXPECT_EQ(Cell("A1")->format, 0x02);
  lock.locked = true;
  ASSERT_TRUE(ApplyCellProperties(ParseRange("A1"), lock).Done());
  EXPECT_EQ(Cell("A1")->format, 0x82);
  // Both groups in one call.
  lock.groups = kPropertyLock | kPropertyFormat;
  lock.locked = false;
  lock.format = 0x7F;
  ASSERT_TRUE(ApplyCellProperties(ParseRange("A1"), lock).Done());
  EXPECT_EQ(Cell("A1")->format, 0x7F);
}

TEST_F(CellPropertiesTest, WrapPrefixRewritesLabelsAndKeepsNumbers) {
  Enter("A1", "hello");
  Enter("A2", "42");
  CellProperties p;
  p.groups = kPropertyPrefix;
  p.alignment = 4;
  ASSERT_TRUE(ApplyCellProperties(ParseRange("A1..A3"), p).Done());
  EXPECT_EQ(Text("A1"), "`hello");
  EXPECT_EQ(CellAlignment(Cell("A1")->style), 4);
  EXPECT_EQ(Number("A2"), 42);
  EXPECT_EQ(CellAlignment(Cell("A2")->style), 4);
  EXPECT_TRUE(KindIs(Cell("A3")->kind, CellKind::kBlank));
  p.alignment = 2;
  ASSERT_TRUE(ApplyCellProperties(ParseRange("A1"), p).Done());
  EXPECT_EQ(Text("A1"), "\"hello");
  p.alignment = 7;
  EXPECT_EQ(ApplyCellProperties(ParseRange("A1"), p).status, CommandStatus::kFailed);
}

TEST_F(CellPropertiesTest, ShadeAndTypefaceReplaceTheirBitsOnly) {
  Enter("A1", "x");
  CellRecord* c = CellAt(GetCell(0, 0));
  c->style = 0x08 | 0x30;  // strike-out, alignment 3
  c->borders = 0x55;
  CellProperties p;
  p.groups = kPropertyShade | kPropertyTypeface;
  p.noShade = false;
  p.shade[0] = 10;
  p.shade[1] = 20;
  p.shade[2] = 30;
  p.font = 3;
  p.size = 14;
  p.style = kStyleBold | kStyleUnderline;
  p.textColour = 12;
  ASSERT_TRUE(ApplyCellProperties(ParseRange("A1"), p).Done());
  c = CellAt(GetCell(0, 0));
  EXPECT_EQ(c->shade[0], 10);
  EXPECT_EQ(c->shade[2], 30);
  EXPECT_EQ(c->colour, 12);
  EXPECT_EQ(c->font, 3);
  EXPECT_EQ(c->size, 14);
  EXPECT_EQ(c->style, 0x08 | 0x30 | kStyleBold | kStyleUnderline);
  EXPECT_EQ(c->borders, 0x55);
  // "Default" shade and the automatic text colour.
  p.groups = kPropertyShade | kPropertyTypeface;
  p.noShade = true;
  p.textColour = kAutomaticTextColour;
  ASSERT_TRUE(ApplyCellProperties(ParseRange("A1"), p).Done());
  EXPECT_EQ(CellAt(GetCell(0, 0))->colour, kColourNoShade | kColourAutomaticText);
  EXPECT_EQ(CellAt(GetCell(0, 0))->shade[1], 20);
}

TEST_F(CellPropertiesTest, ProtectedCellsAreLeftAlone) {
  Enter("A1", "locked");
  Enter("A2", "open");
  CellProperties unlock;
  unlock.groups = kPropertyLock;
  unlock.locked = false;
  ASSERT_TRUE(ApplyCellProperties(ParseRange("A2"), unlock).Done());
  ASSERT_TRUE(SetSheetProtection(true).Done());
  CellProperties p = Border(BorderLine::kSingle, BorderEdges::kAll);
  p.groups |= kPropertyFormat;
  p.format = 0x02;
  ASSERT_TRUE(ApplyCellProperties(ParseRange("A1..A3"), p).Done());
  EXPECT_EQ(Cell("A1")->borders, 0);
  EXPECT_EQ(Cell("A1")->format & 0x7F, 0x7F);
  EXPECT_EQ(Cell("A2")->borders, 0x55);
  EXPECT_EQ(Cell("A2")->format, 0x02);
  EXPECT_EQ(Cell("A3"), nullptr);
}

TEST_F(CellPropertiesTest, OneUndoPutsTheWholeRangeBack) {
  Enter("B2", "x");
  ASSERT_TRUE(ApplyCellProperties(ParseRange("B2..D4"), Border(BorderLine::kThick, BorderEdges::kAll)).Done());
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(Borders("B2"), 0);
  EXPECT_EQ(Cell("C3"), nullptr);
  EXPECT_EQ(Text("B2"), "'x");
}

TEST_F(CellPropertiesTest, WidthsWithSkipResetAndGlobal) {
  struct Case {
    int line;
    const char* range;
    SizeRequest request;
    std::array<int, 7> widths;  // A..G after the request, from the default 64 each
    int defaultWidth;
  };
  const Case kCases[] = {
      {__LINE__, "A1..F1", {10, 1, false, false}, {80, 64, 80, 64, 80, 64, 64}, 64},
      {__LINE__, "B1..F1", {10, 1, false, false}, {64, 64, 80, 64, 80, 64, 64}, 64},
      {__LINE__, "A1..C1", {3, 0, false, false}, {24, 24, 24, 64, 64, 64, 64}, 64},
      {__LINE__, "A1..G1", {12, 2, false, false}, {96, 64, 64, 96, 64, 64, 96}, 64},
      {__LINE__, "A1..B1", {255, 0, false, false}, {64, 64, 64, 64, 64, 64, 64}, 64},
      {__LINE__, "A1..B1", {20, 0, true, false}, {160, 160, 160, 160, 160, 160, 160}, 160},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ASSERT_TRUE(NewWorksheet("W.WKS"));
    ASSERT_TRUE(SetColumnWidths(ParseRange(c.range), c.request).Done());
    const SheetLayout& layout = CurrentLayout();
    for (int column = 0; column < 7; ++column) EXPECT_EQ(layout.columnWidth[column], c.widths[column]) << column;
    EXPECT_EQ(CurrentLayout().defaultWidth, c.defaultWidth);
  }
}

TEST_F(CellPropertiesTest, ResetGivesTheDefaultAndGlobalMovesDefaultColumnsOnly) {
  ASSERT_TRUE(SetColumnWidths(ParseRange("A1..C1"), SizeRequest{10, 0, false, false}).Done());
  ASSERT_TRUE(SetColumnWidths(ParseRange("B1"), SizeRequest{10, 0, false, true}).Done());
  EXPECT_EQ(CurrentLayout().columnWidth[1], 64);
  ASSERT_TRUE(SetColumnWidths(ParseRange("A1"), SizeRequest{5, 0, true, false}).Done());
  EXPECT_EQ(CurrentLayout().defaultWidth, 40);
  EXPECT_EQ(CurrentLayout().columnWidth[0], 80);
  EXPECT_EQ(CurrentLayout().columnWidth[1], 40);
  EXPECT_EQ(CurrentLayout().columnWidth[200], 40);
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(CurrentLayout().defaultWidth, 64);
  EXPECT_EQ(CurrentLayout().columnWidth[1], 64);
  EXPECT_EQ(CurrentLayout().columnWidth[0], 80);
  EXPECT_EQ(SetColumnWidths(ParseRange("A1"), SizeRequest{256, 0, false, false}).status,
            CommandStatus::kFailed);
  EXPECT_EQ(SetColumnWidths(ParseRange("A1"), SizeRequest{5, -1, false, false}).status,
            CommandStatus::kFailed);
}

TEST_F(CellPropertiesTest, HeightsAreInPixelsAndSkipCountsFromRowOne) {
  ASSERT_TRUE(SetRowHeights(ParseRange("A1..A6"), SizeRequest{30, 2, false, false}).Done());
  const SheetLayout& layout = CurrentLayout();
  EXPECT_EQ(layout.rowHeight[0], 30);
  EXPECT_EQ(layout.rowHeight[1], 15);
  EXPECT_EQ(layout.rowHeight[3], 30);
  EXPECT_EQ(layout.rowHeight[6], 15);
  ASSERT_TRUE(SetRowHeights(ParseRange("A1"), SizeRequest{20, 0, true, false}).Done());
  EXPECT_EQ(layout.defaultHeight, 20);
  EXPECT_EQ(layout.rowHeight[1], 20);
  EXPECT_EQ(layout.rowHeight[0], 30);
}

}  // namespace
