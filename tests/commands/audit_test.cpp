// tests/commands/audit_test.cpp — the dependents tree, kind counts, chart and map geometry and
// the cross-reference list.
#include "commands/audit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/commands.h"
#include "core/address.h"
#include "sheet_fixture.h"

namespace {

class AuditTest : public SheetFixture {
 protected:
  static std::vector<std::string> Tree(const std::string& ref, int depth) {
    const ParsedCell p = ParseCellRef(ref);
    return AuditTreeText(BuildAuditTree(p.row, p.column, depth));
  }
  static std::vector<std::string> XRef(const std::string& range) {
    std::vector<std::string> lines;
    for (const XRefEntry& e : CrossReference(ParseRange(range))) lines.push_back(XRefLine(e));
    return lines;
  }
};

using Lines = std::vector<std::string>;

TEST_F(AuditTest, TreeShowsDependentsDownToTheDepth) {
  Enter("A1", "5");
  Enter("D1", "+A1*2");
  Enter("B1", "+A1");
  Enter("C1", "+B1");
  Enter("A3", "+B1+D1");
  struct Case {
    int line;
    const char* cell;
    int depth;
    Lines expected;
  } cases[] = {
      {__LINE__, "A1", 0, {"A1: 5", "Total References: 0"}},
      {__LINE__, "A1", 1, {"A1: 5", "  B1: +A1", "  D1: +A1*2", "Total References: 2"}},
      {__LINE__,
       "A1",
       2,
       {"A1: 5", "  B1: +A1", "    C1: +B1", "    A3: +B1+D1", "  D1: +A1*2", "    A3: +B1+D1",
        "Total References: 5"}},
      {__LINE__, "C1", 3, {"C1: +B1", "Total References: 0"}},
      {__LINE__, "F9", 3, {"F9: ", "Total References: 0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    EXPECT_EQ(Tree(c.cell, c.depth), c.expected);
  }
  const AuditTree tree = BuildAuditTree(0, 0, 9);
  EXPECT_EQ(tree.deepestLevel, 2);
  EXPECT_FALSE(tree.cut);
}

TEST_F(AuditTest, CircularReferencesRepeatUntilTheDepthEnds) {
  Enter("A1", "+B1");
  Enter("B1", "+A1");
  EXPECT_EQ(Tree("A1", 3),
            (Lines{"A1: +B1", "  B1: +A1", "    A1: +B1", "      B1: +A1", "Total References: 3"}));
}

// Each cell of the circle has two dependents: the tree would double with each level, and its
// first branch goes as deep as the lines allow.
TEST_F(AuditTest, AHugeTreeStopsAfterTheLineLimitWithoutRecursion) {
  Enter("B1", "+A1");
  Enter("C1", "+A1");
  Enter("A1", "+B1+C1");
  const AuditTree tree = BuildAuditTree(0, 0, 1000000);
  EXPECT_TRUE(tree.cut);
  EXPECT_EQ(tree.totalReferences, kAuditTreeLineLimit);
  ASSERT_EQ(tree.lines.size(), size_t(kAuditTreeLineLimit) + 2);
  EXPECT_EQ(tree.lines.back().text, "...");
  EXPECT_EQ(tree.deepestLevel, kAuditTreeLineLimit);
  EXPECT_EQ(tree.lines[kAuditTreeLineLimit].level, kAuditTreeLineLimit);
}

TEST_F(AuditTest, LockedCellsShowAsProtectedWhileProtectionIsOn) {
  Enter("A1", "5");
  Enter("B1", "+A1");
  Enter("C1", "+A1+1");
  ASSERT_TRUE(SetRangeLock(ParseRange("C1"), false).Done());
  ASSERT_TRUE(SetSheetProtection(true).Done());
  EXPECT_EQ(Tree("A1", 1),
            (Lines{"A1: \tProtected", "  B1: \tProtected", "  C1: +A1+1", "Total References: 2"}));
  ASSERT_TRUE(SetSheetProtection(false).Done());
  EXPECT_EQ(Tree("A1", 1)[1], "  B1: +A1");
}

TEST_F(AuditTest, CountsGoByTheLowThreeBitsOfTheKind) {
  Enter("A1", "5");             // integer
  Enter("B2", "1.5");           // real
  Enter("C3", "'text");         // label
  Enter("D4", "+A1");           // formula
  Enter("E2", "@LEFT(C3,1)");   // string formula
  Enter("A5", "@SUM(H1..H2)");  // links blank cells at H1, H2
  const AuditCounts counts = CountCellKinds();
  EXPECT_EQ(counts.kinds, (std::array<uint32_t, 8>{1, 2, 1, 1, 1, 2, 0, 0}));
  EXPECT_EQ(counts.total, 8u);
  EXPECT_EQ(counts.lastRow, 4);
  EXPECT_EQ(counts.lastColumn, 7);
  EXPECT_EQ(counts.BarCount(1), 3u);
  EXPECT_EQ(counts.LargestBar(), 3u);
  EXPECT_EQ(AuditUsedRangeText(counts), "A1..H5");
  EXPECT_EQ(AuditMapCells().size(), 8u);
}

TEST_F(AuditTest, AnEmptySheetHasATotalOfZeroAndNoBars) {
  const AuditCounts counts = CountCellKinds();
  EXPECT_EQ(counts.total, 0u);
  const AuditChart chart = LayOutAuditChart(counts, 400, 300);
  EXPECT_EQ(chart.heading, "Relative Proportion of Cells ( Total= 0 )");
  EXPECT_TRUE(chart.bars.empty());
  EXPECT_EQ(AuditUsedRangeText(counts), "");
  EXPECT_EQ(AuditMapCellRect(counts, 0, 0, 400, 300), (AuditRect{40, 16, 1, 1}));
}

TEST_F(AuditTest, BarsAreProportionalToTheLargestAndLabelledWithPercentages) {
  AuditCounts counts;
  counts.kinds = {1, 3, 0, 2, 1, 1, 0, 0};  // bars: Formula 4, Real 0, Integer 2, String 1, Blank 1
  counts.total = 8;
  const AuditChart chart = LayOutAuditChart(counts, 432, 300);
  ASSERT_EQ(chart.bars.size(), 5u);
  struct Case {
    int kind;
    const char* label;
  } cases[] = {{1, "Formula 50.0 %"},
               {2, "Real 0.0 %"},
               {3, "Integer 25.0 %"},
               {4, "String 12.5 %"},
               {5, "Blank 12.5 %"}};
  const int tallest = chart.bars[0].bar.height;
  EXPECT_GT(tallest, 100);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    const AuditBar& bar = chart.bars[size_t(c.kind - 1)];
    EXPECT_EQ(bar.kind, c.kind);
    EXPECT_EQ(bar.label, c.label);
    EXPECT_EQ(bar.bar.height, tallest * int(counts.BarCount(c.kind)) / 4);
    EXPECT_EQ(bar.bar.top + bar.bar.height, chart.bars[0].bar.top + tallest);  // common base
    EXPECT_LE(bar.bar.top + bar.bar.height, bar.labelBox.top);
    if (c.kind > 1) {
      const AuditRect& before = chart.bars[size_t(c.kind - 2)].bar;
      EXPECT_GE(bar.bar.left, before.left + before.width);
    }
  }
}

TEST_F(AuditTest, TheMapScalesTheUsedAreaIntoThePaintBox) {
  AuditCounts counts;
  counts.lastRow = 9;
  counts.lastColumn = 3;
  counts.total = 1;
  struct Case {
    int row, column;
    AuditRect rect;
  } cases[] = {
      {0, 0, {40, 16, 86, 26}},
      {9, 3, {298, 250, 86, 26}},  // the last cell ends at the box's right and bottom margins
      {4, 2, {212, 120, 86, 26}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.row << "," << c.column);
    EXPECT_EQ(AuditMapCellRect(counts, c.row, c.column, 400, 300), c.rect);
  }
  EXPECT_EQ(AuditMapCellRect(counts, 0, 0, 10, 10), (AuditRect{40, 16, 1, 1}));  // tiny box
}

TEST_F(AuditTest, XRefListsCellsWithDependentsAndContinuesLongLists) {
  Enter("A1", "3");
  Enter("E7", "+A1");
  Enter("C5", "+A1*2");
  Enter("B1", "'name");
  Enter("B2", "@LEFT(B1,2)");
  Enter("C1", "7");  // no dependents
  EXPECT_EQ(XRef("A1..C2"), (Lines{"A1\t Integer 3\t 2\t: C5,E7", "B1\t String 4\t 1\t: B2"}));
  EXPECT_EQ(XRef("B2..A1"), XRef("A1..B2"));
  EXPECT_EQ(XRef("C1..C9"), Lines{});

  Enter("B2", "+C5");  // a formula with dependents
  EXPECT_EQ(XRef("C5"), Lines{"C5\t Form 1\t 1\t: B2"});

  // Twenty dependents of D1: "F1,F2,...": seven to eleven references fit into 40 characters.
  for (int row = 20; row >= 1; --row) Enter("F" + std::to_string(row), "+D1");
  const std::vector<XRefEntry> entries = CrossReference(ParseRange("D1"));
  ASSERT_GE(entries.size(), 2u);
  EXPECT_EQ(XRefLine(entries[0]), "D1\t Blank 5\t 20\t: F1,F2,F3,F4,F5,F6,F7,F8,F9,F10,F11,F12");
  EXPECT_EQ(XRefLine(entries[1]), "\t\t\t: F13,F14,F15,F16,F17,F18,F19,F20");
  std::string joined;
  for (const XRefEntry& e : entries) {
    EXPECT_LE(e.references.size(), kXRefListWidth);
    joined += (joined.empty() ? "" : ",") + e.references;
  }
  std::string all;
  for (int row = 1; row <= 20; ++row) all += (row > 1 ? ",F" : "F") + std::to_string(row);
  EXPECT_EQ(joined, all);
}

TEST_F(AuditTest, TheReportHasTitleHeadingAndEntries) {
  Enter("A1", "1");
  Enter("A2", "+A1");
  EXPECT_EQ(XRefReport(CrossReference(ParseRange("A1..A2"))),
            (Lines{"SHEET1.WKS : Cross Reference Report ", "", "CELL\t TYPE\t COUNT\t: REFERENCES",
                   "", "A1\t Integer 3\t 1\t: A2"}));
}

}  // namespace
