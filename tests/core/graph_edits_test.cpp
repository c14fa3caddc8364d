// tests/core/graph_edits_test.cpp — the checked edits behind the GRAPH... macro commands.
#include "core/graph_edits.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "core/graph_definition.h"
#include "sheet_fixture.h"

namespace {

class GraphEditsTest : public SheetTest {};

TEST_F(GraphEditsTest, BadArgumentsChangeNothing) {
  struct Case {
    int line;
    std::function<bool()> edit;
  };
  const CellRange a1 = MakeRange(0, 0, 0, 0);
  const Case kCases[] = {
      {__LINE__, [] { return EditGraphType(-1); }},
      {__LINE__, [] { return EditGraphType(18); }},
      {__LINE__, [&] { return EditGraphSeries(7, a1); }},
      {__LINE__, [&] { return EditGraphLabel(0, a1, 0); }},
      {__LINE__, [&] { return EditGraphLabel(1, a1, 5); }},
      {__LINE__, [] { return EditGraphLegend(0, "x", std::nullopt); }},
      {__LINE__, [] { return EditGraphLegend(1, "x", 2); }},
      {__LINE__, [] { return EditGraphHeading(4, "x"); }},
      {__LINE__, [] { return EditGraphScale(2, std::nullopt, std::nullopt); }},
      {__LINE__, [] { return EditGraphScale(0, 1.0, std::nullopt); }},
      {__LINE__, [] { return EditGraphOptions("G1,G4", ','); }},
      {__LINE__, [] { return EditGraphOptions("SY,7L", ','); }},
      {__LINE__, [] { return EditGraphOptions("1X", ','); }},
      {__LINE__, [] { return EditGraphOptions("XYZ", ','); }},
      {__LINE__, [] { return EditGraphFont(7, 10, std::nullopt); }},
      {__LINE__, [] { return EditGraphFont(0, 0, std::nullopt); }},
      {__LINE__, [] { return EditGraphName(1, "NOSUCH"); }},
      {__LINE__, [] { return EditGraphName(2, "NOSUCH"); }},
      {__LINE__, [] { return EditGraphName(4, "NOSUCH"); }},
      {__LINE__, [] { return EditGraphName(6, "NOSUCH"); }},
      {__LINE__, [] { return EditGraphName(7, ""); }},
  };
  for (const Case& c : kCases) {
    GraphBlock before;
    std::memcpy(before.data(), CurrentGraph().bytes(), kGraphBlockSize);
    EXPECT_FALSE(c.edit()) << "line " << c.line;
    EXPECT_EQ(std::memcmp(before.data(), CurrentGraph().bytes(), kGraphBlockSize), 0)
        << "line " << c.line;
  }
}

TEST_F(GraphEditsTest, GoodArgumentsReachTheirFields) {
  const GraphDefinition g = CurrentGraph();
  const CellRange b2c5 = MakeRange(1, 1, 2, 4);
  struct Case {
    int line;
    std::function<bool()> edit;
    std::function<bool()> check;
  };
  const Case kCases[] = {
      {__LINE__, [] { return EditGraphType(13); }, [&] { return g.type() == 13; }},
      {__LINE__, [&] { return EditGraphSeries(0, b2c5); }, [&] { return g.range(0) == b2c5; }},
      {__LINE__, [&] { return EditGraphSeries(6, b2c5); }, [&] { return g.range(6) == b2c5; }},
      {__LINE__, [&] { return EditGraphSeries(6, NoRange()); },
       [&] { return !RangeIsValid(g.range(6)); }},
      {__LINE__, [&] { return EditGraphLabel(2, b2c5, 3); },
       [&] { return g.labelRange(2) == b2c5 && g.labelPlace(2) == 3; }},
      {__LINE__, [] { return EditGraphLegend(3, std::string(25, 'x'), 1); },
       [&] { return g.legend(3) == std::string(20, 'x') && g.tableLegend(); }},
      {__LINE__, [] { return EditGraphLegend(3, "y", std::nullopt); },
       [&] { return g.legend(3) == "y" && g.tableLegend(); }},
      {__LINE__, [] { return EditGraphHeading(2, "Months"); },
       [&] { return g.heading(2) == "Months"; }},
      {__LINE__, [] { return EditGraphScale(1, -5.0, 5.0); },
       [&] { return g.manualScale(1) && g.lowerLimit(1) == -5 && g.upperLimit(1) == 5; }},
      {__LINE__, [] { return EditGraphScale(1, std::nullopt, std::nullopt); },
       [&] { return !g.manualScale(1) && g.upperLimit(1) == 5; }},
      {__LINE__, [] { return EditGraphOptions(" g3 ; sy;TY;xy;YN;2l;6B ", ';'); },
       [&] {
         return g.gridLines() == 3 && g.solidGrid() && g.tableLegend() && g.logarithmicX() &&
                !g.logarithmicY() && g.seriesMarks(2) == kSeriesLines &&
                g.seriesMarks(6) == kSeriesBoth;
       }},
      {__LINE__, [] { return EditGraphOptions("G0,SN,TN,XN,1N", ','); },
       [&] {
         return g.gridLines() == 0 && !g.solidGrid() && !g.tableLegend() && !g.logarithmicX() &&
                g.seriesMarks(1) == kSeriesNone;
       }},
      {__LINE__, [] { return EditGraphFont(6, 14, "Courier"); },
       [&] { return g.fontSize(6) == 14 && g.fontFace(6) == "Courier"; }},
      {__LINE__, [] { return EditGraphFont(0, 20, std::nullopt); },
       [&] { return g.fontSize(0) == 20 && g.fontFace(0) == "ARIAL"; }},
      {__LINE__, [] { return EditGraphName(0, "keep"); },
       [&] { return NamedGraphCount() == 1 && g.name() == "KEEP"; }},
      {__LINE__, [] { return EditGraphName(5, ""); },
       [&] { return g.type() == kGraphBar && g.name().empty() && !RangeIsValid(g.range(0)); }},
      {__LINE__, [] { return EditGraphName(1, "KEEP"); }, [&] { return g.type() == 13; }},
      {__LINE__, [] { return EditGraphName(6, "keep"); }, [&] { return g.overlay() == "KEEP"; }},
      {__LINE__, [] { return EditGraphName(6, ""); }, [&] { return g.overlay().empty(); }},
      {__LINE__, [] { return EditGraphName(0, "*X"); }, [&] { return NamedGraphCount() == 1; }},
      {__LINE__, [] { return EditGraphName(2, "keep"); }, [&] { return NamedGraphCount() == 0; }},
      {__LINE__,
       [] { return EditGraphName(0, "A") && EditGraphName(0, "B") && EditGraphName(3, ""); },
       [&] { return NamedGraphCount() == 0; }},
  };
  for (const Case& c : kCases) {
    EXPECT_TRUE(c.edit()) << "line " << c.line;
    EXPECT_TRUE(c.check()) << "line " << c.line;
  }
}

}  // namespace
