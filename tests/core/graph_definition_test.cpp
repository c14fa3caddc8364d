// tests/core/graph_definition_test.cpp — definition layout, reset, named graphs, quick graph.
#include "core/graph_definition.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/format.h"
#include "sheet_fixture.h"

namespace {

class GraphDefinitionTest : public SheetTest {};

// Every accessor writes exactly the bytes of its documented place in the block.
TEST_F(GraphDefinitionTest, AccessorsWriteTheirDocumentedOffsets) {
  struct Case {
    int line;
    void (*set)(GraphDefinition&);
    size_t offset;
    std::vector<uint8_t> bytes;
  };
  const Case kCases[] = {
      {__LINE__,
       [](GraphDefinition& g) { g.setRange(0, MakeRange(1, 2, 3, 4)); },
       13,
       {1, 0, 2, 0, 3, 0, 4, 0}},
      {__LINE__,
       [](GraphDefinition& g) { g.setRange(12, MakeRange(0x102, 5, 6, 7)); },
       109,
       {2, 1, 5, 0, 6, 0, 7, 0}},
      {__LINE__, [](GraphDefinition& g) { g.setType(13); }, 117, {13}},
      {__LINE__,
       [](GraphDefinition& g) {
         g.setGridLines(3);
         g.setSolidGrid(true);
         g.setTableLegend(true);
       },
       118,
       {15}},
      {__LINE__,
       [](GraphDefinition& g) {
         g.setLogarithmicX(true);
         g.setLogarithmicY(true);
       },
       119,
       {0xC0}},
      {__LINE__, [](GraphDefinition& g) { g.setSeriesMarks(6, 2); }, 125, {2}},
      {__LINE__, [](GraphDefinition& g) { g.setLabelPlace(1, 3); }, 126, {3}},
      {__LINE__, [](GraphDefinition& g) { g.setManualScale(0, true); }, 132, {1}},
      {__LINE__,
       [](GraphDefinition& g) { g.setUpperLimit(0, 1.0); },
       141,
       {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
      {__LINE__, [](GraphDefinition& g) { g.setManualScale(1, true); }, 149, {1}},
      {__LINE__,
       [](GraphDefinition& g) { g.setLowerLimit(1, 2.0); },
       150,
       {0, 0, 0, 0, 0, 0, 0, 0x40}},
      {__LINE__, [](GraphDefinition& g) { g.setHeading(3, "Y"); }, 286, {'Y', 0}},
      {__LINE__, [](GraphDefinition& g) { g.setLegend(6, "L6"); }, 426, {'L', '6', 0}},
      {__LINE__, [](GraphDefinition& g) { g.setAxisFormat(1, 0x42); }, 447, {0x42}},
      {__LINE__,
       [](GraphDefinition& g) {
         g.setDivisions(0, 9);
         g.setDivisions(1, 8);
       },
       448,
       {9, 8}},
      {__LINE__,
       [](GraphDefinition& g) {
         g.setStyle(6, GraphStyle{1, 2, 3, 4, 5, 6});
       },
       490,
       {1, 2, 3, 4, 5, 6}},
      {__LINE__,
       [](GraphDefinition& g) {
         g.setInsideColour(7);
         g.setOutsideColour(8);
       },
       496,
       {7, 8}},
      {__LINE__,
       [](GraphDefinition& g) {
         g.setFontSize(6, 11);
         g.setFontFace(0, "AB");
       },
       504,
       {11, 2, 'A', 'B'}},
      {__LINE__, [](GraphDefinition& g) { g.setDivisionWord(1, 0xFE03); }, 731, {3, 0xFE}},
      {__LINE__, [](GraphDefinition& g) { g.setOverlay("OV"); }, 733, {2, 'O', 'V'}},
  };
  for (const Case& c : kCases) {
    GraphBlock block{};
    GraphDefinition g(block.data());
    c.set(g);
    for (size_t i = 0; i < c.bytes.size(); ++i) {
      EXPECT_EQ(block[c.offset + i], c.bytes[i]) << "line " << c.line << " byte " << i;
    }
    size_t touched = 0;
    for (uint8_t b : block) touched += b != 0;
    size_t expected = 0;
    for (uint8_t b : c.bytes) expected += b != 0;
    EXPECT_EQ(touched, expected) << "line " << c.line << ": a byte outside the field changed";
  }
}

TEST_F(GraphDefinitionTest, TextsAreCutToTheirFields) {
  GraphBlock block{};
  block.fill(0xAA);
  GraphDefinition g(block.data());
  g.setHeading(0, std::string(60, 'h'));
  g.setLegend(1, std::string(30, 'l'));
  g.setName("ABCDEFGHIJKLMNOP");
  EXPECT_EQ(g.heading(0), std::string(39, 'h'));
  EXPECT_EQ(block[graph_layout::kHeadings + 39], 0) << "the heading keeps its zero";
  EXPECT_EQ(g.heading(1), std::string(40, char(0xAA)).substr(0, 39));
  EXPECT_EQ(g.legend(1), std::string(20, 'l'));
  EXPECT_EQ(block[graph_layout::kLegends + 20], 0xAA) << "legend 2 untouched";
  EXPECT_EQ(g.name(), "ABCDEFGHIJKL");
}

TEST_F(GraphDefinitionTest, NewSheetsStartWithAResetDefinition) {
  GraphDefinition g = CurrentGraph();
  for (int i = 0; i < kGraphRangeCount; ++i) {
    EXPECT_FALSE(RangeIsValid(g.range(i))) << i;
    for (size_t b = 0; b < 8; ++b) EXPECT_EQ(g.bytes()[13 + 8 * size_t(i) + b], 0xFF);
  }
  EXPECT_FALSE(g.Drawable());
  for (int axis = 0; axis < 2; ++axis) {
    EXPECT_FALSE(g.manualScale(axis));
    EXPECT_EQ(g.divisions(axis), 5);
    EXPECT_EQ(g.axisFormat(axis), kFormatGeneral);
  }
  for (int k = 0; k < kGraphFontCount; ++k) {
    EXPECT_GT(g.fontSize(k), 0);
    EXPECT_EQ(g.fontFace(k), "ARIAL");
  }
  for (int s = 0; s < kGraphSeriesCount; ++s) {
    for (int t = s + 1; t < kGraphSeriesCount; ++t) {
      EXPECT_NE(g.style(s).foreground, g.style(t).foreground) << s << " " << t;
    }
  }
  EXPECT_EQ(g.insideColour(), 15);
  EXPECT_EQ(g.outsideColour(), 15);
  EXPECT_EQ(g.heading(0), "");
  EXPECT_EQ(g.legend(1), "");
  EXPECT_EQ(g.overlay(), "");
  EXPECT_EQ(NamedGraphCount(), 0);
}

TEST_F(GraphDefinitionTest, LoadedDefinitionsOfZerosReadAsResetAndSmallDivisionCountsBecomeFive) {
  GraphBlock reset{};
  ResetGraph(GraphDefinition(reset.data()));

  GraphBlock zeros{};
  GraphDefinition z(zeros.data());
  z.setName("OLD");
  NormalizeLoadedGraph(z);
  EXPECT_EQ(z.name(), "OLD");
  EXPECT_EQ(std::memcmp(zeros.data() + 13, reset.data() + 13, kGraphBlockSize - 13), 0);

  struct Case {
    int line;
    uint8_t before;
    uint8_t after;
  };
  const Case kCases[] = {{__LINE__, 0, 5}, {__LINE__, 1, 5}, {__LINE__, 2, 2}, {__LINE__, 9, 9}};
  for (const Case& c : kCases) {
    GraphBlock block{};
    GraphDefinition g(block.data());
    g.setType(4);
    g.setDivisions(0, c.before);
    g.setDivisions(1, c.before);
    NormalizeLoadedGraph(g);
    EXPECT_EQ(g.divisions(0), c.after) << "line " << c.line;
    EXPECT_EQ(g.divisions(1), c.after) << "line " << c.line;
    EXPECT_EQ(g.type(), 4) << "a definition with data is not reset";
  }
}

TEST_F(GraphDefinitionTest, StoringNamesFollowsTheNamingRules) {
  CurrentGraph().setType(kGraphLine);
  struct Case {
    int line;
    const char* name;
    GraphNameResult result;
    int count;
    int beeps;
  };
  const Case kCases[] = {
      {__LINE__, "sales", GraphNameResult::kDone, 1, 0},
      {__LINE__, "", GraphNameResult::kEmptyName, 1, 1},
      {__LINE__, "*X", GraphNameResult::kIgnored, 1, 1},
      {__LINE__, "averylongnameindeed", GraphNameResult::kDone, 2, 1},
      {__LINE__, "SALES", GraphNameResult::kDone, 2, 1},  // replaces the first in place
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(StoreNamedGraph(c.name), c.result) << "line " << c.line;
    EXPECT_EQ(NamedGraphCount(), c.count) << "line " << c.line;
    EXPECT_EQ(TheHeadlessPlatform().beeps, c.beeps) << "line " << c.line;
  }
  EXPECT_EQ(NamedGraph(1).name(), "SALES");
  EXPECT_EQ(NamedGraph(2).name(), "AVERYLONGNAM");
  EXPECT_EQ(FindNamedGraph("averylongnam"), 2);
  EXPECT_EQ(FindNamedGraph("*X"), 0);
  EXPECT_EQ(CurrentGraph().name(), "SALES");
  EXPECT_EQ(NamedGraph(1).type(), kGraphLine);
}

TEST_F(GraphDefinitionTest, AFiftyFirstNameIsRefused) {
  for (int i = 0; i < kMaxNamedGraphs; ++i) {
    ASSERT_EQ(StoreNamedGraph("G" + std::to_string(i)), GraphNameResult::kDone);
  }
  EXPECT_EQ(StoreNamedGraph("ONEMORE"), GraphNameResult::kFull);
  EXPECT_EQ(NamedGraphCount(), kMaxNamedGraphs);
  ASSERT_FALSE(TheHeadlessPlatform().messages.empty());
  EXPECT_NE(TheHeadlessPlatform().messages.back().find("Max Graph Names Exceeded"),
            std::string::npos);
  EXPECT_EQ(StoreNamedGraph("G7"), GraphNameResult::kDone) << "replacing still works when full";
  RemoveAllNamedGraphs();
  EXPECT_EQ(NamedGraphCount(), 0);
  EXPECT_TRUE(CheckPoolIntegrity());
}

TEST_F(GraphDefinitionTest, UseDeleteAndMergeWorkOnNamedGraphs) {
  GraphDefinition g = CurrentGraph();
  g.setType(kGraphPie);
  g.setRange(kGraphXRange, MakeRange(0, 0, 0, 3));
  g.setHeading(0, "First");
  g.setLegend(2, "two");
  ASSERT_EQ(StoreNamedGraph("ONE"), GraphNameResult::kDone);
  ResetGraph(g);
  g.setType(kGraphArea);
  g.setRange(1, MakeRange(1, 0, 1, 3));
  g.setRange(kGraphXRange, MakeRange(5, 5, 5, 5));
  g.setHeading(1, "Second");
  ASSERT_EQ(StoreNamedGraph("TWO"), GraphNameResult::kDone);

  EXPECT_EQ(MergeNamedGraph("one"), GraphNameResult::kDone);
  EXPECT_EQ(g.type(), kGraphArea) << "merge keeps the current type";
  EXPECT_EQ(g.range(kGraphXRange), MakeRange(0, 0, 0, 3)) << "defined ranges replace";
  EXPECT_EQ(g.range(1), MakeRange(1, 0, 1, 3)) << "undefined ranges keep the current ones";
  EXPECT_EQ(g.heading(0), "First");
  EXPECT_EQ(g.heading(1), "Second");
  EXPECT_EQ(g.legend(2), "two");

  EXPECT_EQ(UseNamedGraph("ONE"), GraphNameResult::kDone);
  EXPECT_EQ(g.type(), kGraphPie);
  EXPECT_EQ(g.name(), "ONE");
  EXPECT_FALSE(RangeIsValid(g.range(1)));

  EXPECT_EQ(UseNamedGraph("NONE"), GraphNameResult::kNotFound);
  EXPECT_EQ(MergeNamedGraph("NONE"), GraphNameResult::kNotFound);
  EXPECT_EQ(DeleteNamedGraph("NONE"), GraphNameResult::kNotFound);
  EXPECT_EQ(DeleteNamedGraph("one"), GraphNameResult::kDone);
  EXPECT_EQ(NamedGraphCount(), 1);
  EXPECT_EQ(NamedGraph(1).name(), "TWO");
  EXPECT_EQ(NamedGraph(1).type(), kGraphArea);
  EXPECT_TRUE(CheckPoolIntegrity());
}

TEST_F(GraphDefinitionTest, QuickGraphTakesAtMostSevenColumns) {
  struct Case {
    int line;
    CellRange area;
    int defined;
  };
  const Case kCases[] = {
      {__LINE__, MakeRange(0, 0, 0, 0), 1},
      {__LINE__, MakeRange(2, 4, 4, 9), 3},
      {__LINE__, MakeRange(8, 9, 0, 1), 7},  // nine columns, corners not ordered
  };
  for (const Case& c : kCases) {
    CurrentGraph().setHeading(0, "stale");
    ASSERT_TRUE(QuickGraph(c.area)) << "line " << c.line;
    const GraphDefinition g = CurrentGraph();
    EXPECT_EQ(g.heading(0), "") << "line " << c.line << ": quick graph resets first";
    const uint16_t left = std::min(c.area.firstColumn, c.area.lastColumn);
    const uint16_t top = std::min(c.area.firstRow, c.area.lastRow);
    const uint16_t bottom = std::max(c.area.firstRow, c.area.lastRow);
    for (int i = 0; i < kGraphRangeCount; ++i) {
      if (i < c.defined) {
        const uint16_t col = uint16_t(left + i);
        EXPECT_EQ(g.range(i), MakeRange(col, top, col, bottom)) << "line " << c.line << " " << i;
      } else {
        EXPECT_FALSE(RangeIsValid(g.range(i))) << "line " << c.line << " " << i;
      }
    }
  }
  CurrentGraph().setType(kGraphPie);
  EXPECT_FALSE(QuickGraph(NoRange()));
  EXPECT_EQ(CurrentGraph().type(), kGraphPie) << "an invalid range changes nothing";
}

TEST_F(GraphDefinitionTest, EachSheetKeepsItsOwnDefinitions) {
  CurrentGraph().setHeading(0, "first sheet");
  ASSERT_EQ(StoreNamedGraph("A"), GraphNameResult::kDone);
  const SlotIndex other = CreateWorksheetWindow("SHEET2.WKS");
  ActivateWorksheet(other);
  EXPECT_EQ(CurrentGraph().heading(0), "");
  EXPECT_EQ(NamedGraphCount(), 0);
  CurrentGraph().setHeading(0, "second sheet");
  ActivateWorksheet(sheet_);
  EXPECT_EQ(CurrentGraph().heading(0), "first sheet");
  EXPECT_EQ(NamedGraphCount(), 1);
  ActivateWorksheet(other);
  EXPECT_EQ(CurrentGraph().heading(0), "second sheet");
}

TEST_F(GraphDefinitionTest, ForEachGraphRangeVisitsDefinedRangesOfAllDefinitions) {
  QuickGraph(MakeRange(0, 0, 1, 3));
  ASSERT_EQ(StoreNamedGraph("N"), GraphNameResult::kDone);
  CurrentGraph().setRange(kGraphLabelRange1, MakeRange(3, 3, 3, 3));
  int visits = 0;
  ForEachGraphRange([&](CellRange& r) {
    ++visits;
    r.firstRow = uint16_t(r.firstRow + 10);
    if (r.firstColumn == 3) r = NoRange();
  });
  EXPECT_EQ(visits, 5);
  EXPECT_EQ(CurrentGraph().range(0).firstRow, 10);
  EXPECT_EQ(NamedGraph(1).range(1).firstRow, 10);
  EXPECT_FALSE(RangeIsValid(CurrentGraph().range(kGraphLabelRange1)));
}

}  // namespace
