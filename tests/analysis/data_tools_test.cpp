// tests/analysis/data_tools_test.cpp — frequency bins, data tables, goal seek, parse and query:
// results, recalculation in manual mode, exact restoring of inputs, refusals, Undo.
#include "analysis/data_tools.h"

#include <cmath>

#include "analysis_fixture.h"
#include "core/global_options.h"
#include "core/number_settings.h"
#include "formula/recalc.h"

namespace {

class DataToolsTest : public AnalysisFixture {};

TEST_F(DataToolsTest, FrequencyBinsCountsEachBinTypeAndTheRemainder) {
  struct Case {
    int line;
    const char* data;
    const char* dataRange;
    bool lowerInclusive;
    const char* expected;  // counts and fractions beside the bins 2, 4 and below them
  };
  const Case kCases[] = {
      {__LINE__, "1/2/2/3/5", "A1..A5", false, "2 3 0.6/4 1 0.2/ 1 0.2"},
      {__LINE__, "1/2/2/3/5", "A1..A5", true, "2 1 0.2/4 3 0.6/ 1 0.2"},
      // Empty positions count in the remainder.
      {__LINE__, "1/2/2/3/5", "A1..A10", false, "2 3 0.3/4 1 0.1/ 6 0.6"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    SetUp();
    EnterBlock("A1", c.data);
    EnterBlock("C1", "2/4");
    ASSERT_TRUE(FrequencyBins(R(c.dataRange), R("C1..C2"), c.lowerInclusive).Done());
    EXPECT_EQ(Texts("C1..E3"), c.expected);
  }
}

TEST_F(DataToolsTest, KeptRangesComeBackWithTheToolsUndo) {
  EnterBlock("A1", "1/2/2/3/5");
  EnterBlock("C1", "2/4");
  {
    UndoGroupScope group;
    KeepToolRanges(KeptRanges::kBins, {R("A1..A5"), R("C1..C2"), CellRange{}}, true);
    ASSERT_TRUE(FrequencyBins(R("A1..A5"), R("C1..C2"), true).Done());
  }
  EXPECT_EQ(Options().range(GlobalOptions::kTableRange), R("A1..A5"));
  EXPECT_EQ(Options().range(GlobalOptions::kTableInput1), R("C1..C2"));
  EXPECT_TRUE(Options().binLowerInclusive());
  {
    UndoGroupScope group;
    KeepToolRanges(KeptRanges::kGoalSeek, {R("A1"), R("B1"), CellRange{}});
  }
  EXPECT_EQ(Options().dataToolRange(GlobalOptions::kGoalOutputCopy), R("B1"));
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_FALSE(RangeIsValid(Options().dataToolRange(GlobalOptions::kGoalInput)));
  EXPECT_EQ(Options().range(GlobalOptions::kTableRange), R("A1..A5"));
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_FALSE(RangeIsValid(Options().range(GlobalOptions::kTableRange)));
  EXPECT_FALSE(Options().binLowerInclusive());
  EXPECT_TRUE(Missing("D1"));
}

TEST_F(DataToolsTest, OneInputTableFillsAndPutsTheInputBack) {
  Enter("A1", "7");
  Enter("C1", "+A1*2");
  Enter("D1", "+A1*3");
  EnterBlock("B2", "1/2/3");
  ASSERT_TRUE(DataTable(R("A1"), NoRange(), R("B1..D4")).Done());
  EXPECT_EQ(Texts("C2..D4"), "2 3/4 6/6 9");
  EXPECT_EQ(Text("A1"), "7");
  EXPECT_EQ(Number("C1"), 14);
}

TEST_F(DataToolsTest, TablesRecalculateInManualModeToo) {
  ASSERT_TRUE(SetManualRecalculation(true).Done());
  Enter("A1", "7");
  Enter("Z1", "+A1+1");  // a chain between the input and the table's formula
  Enter("C1", "+Z1*2");
  EnterBlock("B2", "1/2/3");
  ASSERT_TRUE(DataTable(R("A1"), NoRange(), R("B1..C4")).Done());
  EXPECT_EQ(Texts("C2..C4"), "4/6/8");
  EXPECT_EQ(Number("C1"), 16);  // the restored input's dependents are up to date
}

TEST_F(DataToolsTest, TheInputComesBackExactly) {
  struct Case {
    int line;
    const char* input;     // nullptr: no cell
    const char* contents;  // what the cell shows for editing afterwards
  };
  const Case kCases[] = {
      {__LINE__, "0.1234567890123", "0.12345678901"}, {__LINE__, nullptr, ""},
      {__LINE__, "'text", "'text"}, {__LINE__, "+B9*2", "+B9*2"},
      {__LINE__, "123456789012345", "1.23456789012E+14"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    SetUp();
    Enter("B9", "5");
    if (c.input) Enter("A1", c.input);
    const double before = Number("A1");
    Enter("C1", "+A1*2");
    EnterBlock("B2", "1/2");
    ASSERT_TRUE(DataTable(R("A1"), NoRange(), R("B1..C3")).Done());
    EXPECT_EQ(Texts("C2..C3"), "2/4");
    EXPECT_EQ(Text("A1"), c.contents);
    EXPECT_EQ(Number("A1"), c.input ? before : 0);  // the number itself, not its general text
    EXPECT_EQ(Number("C1"), 2 * Number("A1"));
    std::string why;
    EXPECT_TRUE(CheckDependencyLinks(&why)) << why;
  }
}

TEST_F(DataToolsTest, TwoInputTableAndResultKinds) {
  Enter("A1", "0");
  Enter("A2", "0");
  Enter("B1", "+A1*10+A2");
  EnterBlock("C1", "1 2");
  EnterBlock("B2", "3/'skip/4");
  ASSERT_TRUE(DataTable(R("A1"), R("A2"), R("B1..D4")).Done());
  EXPECT_EQ(Texts("C2..D4"), "31 32/ /41 42");

  SetUp();
  Enter("C1", "@IF(A1=1,@ERR,\"s\")");
  EnterBlock("B2", "1/2");
  ASSERT_TRUE(DataTable(R("A1"), NoRange(), R("B1..C3")).Done());
  EXPECT_EQ(Text("C2"), "@ERR");
  EXPECT_EQ(Text("C3"), "'s");
}

TEST_F(DataToolsTest, GoalSeekFindsTheRootInEitherMode) {
  for (bool manual : {false, true}) {
    SCOPED_TRACE(manual);
    SetUp();
    ASSERT_TRUE(SetManualRecalculation(manual).Done());
    Enter("A1", "1");
    Enter("B1", "+A1*A1");
    ASSERT_TRUE(GoalSeek(At("A1"), At("B1"), 4, 0.0001).Done());
    EXPECT_NEAR(Number("A1"), 2, 1e-4);
    EXPECT_NEAR(Number("B1"), 4, 1e-4);
  }
}

TEST_F(DataToolsTest, GoalSeekWithoutDependenceEndsInAnErrorEntry) {
  Enter("A1", "0");  // 0.99 x 0 = 0: the first slope is taken as 1
  Enter("B1", "+A1*0+3");
  double last = -1;
  ASSERT_TRUE(GoalSeek(At("A1"), At("B1"), 4, 0.0001, &last).Done());
  EXPECT_EQ(last, 1);  // x = 0 - (3 - 4) / 1, then the slope is 0
  EXPECT_EQ(Text("A1"), "+1+@ERR");

  const int beeps = TheHeadlessPlatform().beeps;
  EXPECT_FALSE(GoalSeek(CellAddress{}, At("B1"), 4, 0.1).Done());
  EXPECT_EQ(TheHeadlessPlatform().beeps, beeps + 1);
}

TEST_F(DataToolsTest, ParseSplitsLabelsIntoEnteredFields) {
  Enter("A1", "'1,2,\"a, b\"");
  Enter("A2", "'x;;7 +A2");
  Enter("A3", "5");
  ASSERT_TRUE(ParseLabels(R("A1..A3")).Done());
  EXPECT_EQ(Texts("A1..C1"), "1 2 'a, b");
  EXPECT_EQ(Text("A2"), "'x");
  EXPECT_TRUE(Missing("B2"));  // two separators in a row: an empty field
  EXPECT_EQ(Text("C2"), "7");
  EXPECT_EQ(Text("D2"), "+A2");
  EXPECT_EQ(Text("A3"), "5");
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(Text("A1"), "'1,2,\"a, b\"");
  EXPECT_TRUE(Missing("B1"));
}

TEST_F(DataToolsTest, QueryTextPatterns) {
  struct Case {
    const char* pattern;
    const char* text;
    bool match;
  };
  const Case kCases[] = {
      {"S*", "Smith", true},   {"s*", "SMITH", true},  {"S*", "Jones", false},
      {"~S*", "Jones", true},  {"~S*", "Smith", false}, {"J?nes", "Jones", true},
      {"J?nes", "Jnes", false}, {"Jones", "Jone", false}, {"Jone", "Jones", false},
      {"*", "", true},          {"", "", true},          {"?", "", false},
      // "..." asks for a contained text, compared upper-cased.
      {"...son", "Johnson", true}, {"son...", "SONNY", true}, {"...HN...", "john", true},
      {"...son", "Jones", false},  {"~...son", "Jones", true}, {"~...son", "Sonny", false},
      {"...", "", true},           {"a...c", "abc", false},    {"a...c", "xACy", true},
      {"...?...", "abc", false},   {"...?...", "a?c", true},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(QueryTextMatches(c.pattern, c.text), c.match) << c.pattern << " " << c.text;
  }
}

class QueryTest : public DataToolsTest {
 protected:
  void SetUp() override {
    DataToolsTest::SetUp();
    EnterBlock("A1", "'Name 'Age/'Smith 30/'Jones 41/'Stone 25/'Brown 52");
  }
};

TEST_F(QueryTest, CriteriaKindsAndRows) {
  struct Case {
    int line;
    const char* criteria;  // entered from D1
    const char* range;
    const char* expected;  // the Name column of the output
  };
  const Case kCases[] = {
      {__LINE__, "'name/'S*", "D1..D2", "'Smith/'Stone"},
      {__LINE__, "'NAME/'~S*", "D1..D2", "'Jones/'Brown"},
      {__LINE__, "'Age/41", "D1..D2", "'Jones"},
      {__LINE__, "'Name 'Age/'S* 25", "D1..E2", "'Stone"},            // all cells of a row
      {__LINE__, "'Name/'Jones/'Brown", "D1..D3", "'Jones/'Brown"},  // any row
      {__LINE__, "'Age/+B2>35", "D1..D2", "'Jones/'Brown"},          // moves with the record
      {__LINE__, "'Age/+B2>$B$2", "D1..D2", "'Jones/'Brown"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    SetUp();
    EnterBlock("D1", c.criteria);
    Enter("G1", "'Name");
    Enter("H1", "'age");
    ASSERT_TRUE(QueryExtract(R("A1..B5"), R(c.range), R("G1..H1")).Done());
    std::string names;
    for (int row = 2; !Missing("G" + std::to_string(row)); ++row) {
      names += (names.empty() ? "" : "/") + Text("G" + std::to_string(row));
    }
    EXPECT_EQ(names, c.expected);
  }
}

TEST_F(QueryTest, ATallerOutputIsClearedAndBoundsTheCount) {
  EnterBlock("D1", "'Name/'*");
  EnterBlock("G1", "'Age/1/2/3/4/5");
  ASSERT_TRUE(QueryExtract(R("A1..B5"), R("D1..D2"), R("G1..G3")).Done());
  EXPECT_EQ(Texts("G2..G6"), "30/41/3/4/5");
  Enter("G4", "9");
  ASSERT_TRUE(QueryExtract(R("A1..B5"), R("D1..D2"), R("G1..G5")).Done());
  EXPECT_EQ(Texts("G2..G6"), "30/41/25/52/5");
  EnterBlock("D2", "'Nobody");
  ASSERT_TRUE(QueryExtract(R("A1..B5"), R("D1..D2"), R("G1..G5")).Done());
  EXPECT_EQ(Texts("G2..G6"), "////5");
}

}  // namespace
