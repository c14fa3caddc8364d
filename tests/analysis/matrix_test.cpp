// tests/analysis/matrix_test.cpp — the array operations and the simplex method: results,
// pivoting near zero, sizes, output over the input, refusals.
#include "analysis/matrix.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "analysis_fixture.h"

namespace {

class MatrixTest : public AnalysisFixture {
 protected:
  // The numbers of the block from `corner`, rows joined by "/", rounded to 1e-9.
  static std::string Rounded(const std::string& range) {
    const CellRange r = R(range);
    std::string out;
    for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
      if (row > r.firstRow) out += "/";
      for (uint32_t column = r.firstColumn; column <= r.lastColumn; ++column) {
        if (column > r.firstColumn) out += " ";
        const CellHandle h = GetCell(row, column);
        if (!h) continue;
        double v = std::round(CellNumber(CellAt(h)) * 1e9) / 1e9;
        if (v == 0) v = 0;  // no "-0"
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.10g", v);
        out += buffer;
      }
    }
    return out;
  }
};

TEST_F(MatrixTest, OperationsWriteTheirBlocks) {
  struct Case {
    int line;
    const char* input;  // entered from A1
    std::function<CommandResult()> run;
    const char* output;
    const char* expected;
  };
  const Case kCases[] = {
      {__LINE__, "1 2 5 6/3 4 7 8",
       [] { return MatrixAddSubtract(R("A1..B2"), R("C1..D2"), At("F1"), false); }, "F1..G2",
       "6 8/10 12"},
      {__LINE__, "1 2 5 6/3 4 7 8",
       [] { return MatrixAddSubtract(R("A1..B2"), R("C1..D2"), At("F1"), true); }, "F1..G2",
       "-4 -4/-4 -4"},
      {__LINE__, "1 2 3/4 5 6", [] { return MatrixMultiply(R("A1..C2"), R("A1..B3"), At("F1")); },
       "F1..G2", "9 12/24 33"},
      {__LINE__, "1 2 3/4 5 6", [] { return MatrixTranspose(R("A1..C2"), At("F1")); }, "F1..G3",
       "1 4/2 5/3 6"},
      {__LINE__, "0 1/1 0", [] { return MatrixDeterminant(R("A1..B2"), At("F1")); }, "F1", "-1"},
      {__LINE__, "1E-17 1 1/1 1 2/1 2 1", [] { return MatrixDeterminant(R("A1..C3"), At("F1")); },
       "F1", "2"},
      {__LINE__, "1 2 3/4 5 6/7 8 9", [] { return MatrixDeterminant(R("A1..C3"), At("F1")); },
       "F1", "0"},
      {__LINE__, "4 7/2 6", [] { return MatrixInvert(R("A1..B2"), At("F1")); }, "F1..G2",
       "0.6 -0.7/-0.2 0.4"},
      {__LINE__, "1E-17 1 1/1 1 2/1 2 1", [] { return MatrixInvert(R("A1..C3"), At("F1")); },
       "F1..H3", "-1.5 0.5 0.5/0.5 -0.5 0.5/0.5 0.5 -0.5"},
      {__LINE__, "2 1 5/1 3 10", [] { return MatrixSolve(R("A1..C2"), At("F1")); }, "F1..F2",
       "1/3"},
      // Each right-hand column is solved with its own values.
      {__LINE__, "2 1 5 3/1 3 10 4", [] { return MatrixSolve(R("A1..D2"), At("F1")); },
       "F1..G2", "1 1/3 1"},
      // An output over its input still gets the product of the old values.
      {__LINE__, "1 2/3 4", [] { return MatrixMultiply(R("A1..B2"), R("A1..B2"), At("A1")); },
       "A1..B2", "7 10/15 22"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    SetUp();
    EnterBlock("A1", c.input);
    ASSERT_TRUE(c.run().Done()) << LastMessage();
    EXPECT_EQ(Rounded(c.output), c.expected);
  }
  // Exactly singular stays exactly 0.
  SetUp();
  EnterBlock("A1", "1 2 3/4 5 6/7 8 9");
  ASSERT_TRUE(MatrixDeterminant(R("A1..C3"), At("F1")).Done());
  EXPECT_EQ(Number("F1"), 0.0);
}

TEST_F(MatrixTest, RefusalsWriteNothing) {
  struct Case {
    int line;
    const char* input;
    std::function<CommandResult()> run;
    const char* message;
  };
  const Case kCases[] = {
      {__LINE__, "1 2 3/4 5 6/7 8 9", [] { return MatrixInvert(R("A1..C3"), At("F1")); },
       "Unable to Solve, Determinant=0"},
      {__LINE__, "1 2/2 4", [] { return MatrixSolve(R("A1..B2"), At("F1")); },
       "Array size mismatch"},
      {__LINE__, "1 2 3/4 5 6", [] { return MatrixMultiply(R("A1..C2"), R("A1..C2"), At("F1")); },
       "Array size mismatch"},
      {__LINE__, "1", [] { return MatrixDeterminant(R("A1..A31"), At("F1")); },
       "Array size>30x30"},
      {__LINE__, "1", [] { return MatrixInvert(R("A1..BJ2"), At("F1")); }, "Array size>30x30"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    SetUp();
    EnterBlock("A1", c.input);
    EXPECT_FALSE(c.run().Done());
    EXPECT_EQ(LastMessage(), c.message);
    EXPECT_TRUE(Missing("F1"));
  }
}

class LinearProgramTest : public MatrixTest {};

TEST_F(LinearProgramTest, SolvesAndReportsEachVariable) {
  struct Case {
    int line;
    const char* table;     // entered from A1
    const char* range;
    const char* results;   // labels and values from the output cell J1
    const char* resultRange;
  };
  const Case kCases[] = {
      {__LINE__, "1 1 'LE 4/1 3 'LE 6/3 2 ' 'MAX", "A1..D3", "'MAX 12/'X1 4/'X2 0/'S3 0/'S4 2",
       "J1..K5"},
      // No positive number in the table: M still dominates (from the largest magnitude).
      {__LINE__, "1 1 'GE 2/-1 -2 ' 'MAX", "A1..D2", "'MAX -2/'X1 2/'X2 0/'S3 0/'S4 0",
       "J1..K5"},
      {__LINE__, "1 1 'GE 2/1 2 ' 'MIN", "A1..D2", "'MIN 2/'X1 2/'X2 0/'S3 0/'S4 0", "J1..K5"},
      // A negative right-hand side turns LE into GE.
      {__LINE__, "-1 -1 'LE -3/1 0 'LE 2/2 1 ' 'min", "A1..D3",
       "'min 3/'X1 0/'X2 3/'S3 0/'S4 0/'S5 2", "J1..K6"},
      {__LINE__, "1 1 'EQ 5/1 -1 'LE 1/1 2 ' 'MAX", "A1..D3", "'MAX 10/'X1 0/'X2 5/'S3 0/'S4 6",
       "J1..K5"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    SetUp();
    EnterBlock("A1", c.table);
    ASSERT_TRUE(LinearProgram(R(c.range), At("J1")).Done()) << LastMessage();
    std::string out;
    const CellRange r = R(c.resultRange);
    for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
      if (row > r.firstRow) out += "/";
      out += CellContentsText(GetCell(row, r.firstColumn)) + " " +
             Rounded(ShortCellText(uint16_t(row), uint16_t(r.lastColumn)));
    }
    EXPECT_EQ(out, c.results);
  }
}

TEST_F(LinearProgramTest, WritesMarkedTableausBelowTheInput) {
  EnterBlock("A1", "1 1 'LE 4/1 3 'LE 6/3 2 ' 'MAX");
  ASSERT_TRUE(LinearProgram(R("A1..D3"), At("J1")).Done());
  // Tableau 1 five rows down: X1 X2 S3 S4 RHS, entering X1, leaving row 1.
  EXPECT_EQ(Rounded("A6..E8"), "1 1 1 0 4/1 3 0 1 6/-3 -2 0 0 0");
  EXPECT_EQ(Text("A9"), "'*");
  EXPECT_EQ(Text("F6"), "'*");
  EXPECT_TRUE(Missing("F7"));
  // Tableau 2 is optimal and unmarked.
  EXPECT_EQ(Rounded("A11..E13"), "1 1 1 0 4/0 2 -1 1 2/0 1 3 0 12");
  EXPECT_TRUE(Missing("A14") && Missing("B14") && Missing("F11") && Missing("F12"));
}

TEST_F(LinearProgramTest, Refusals) {
  struct Case {
    int line;
    const char* table;
    const char* range;
    const char* message;
    bool tableausStay;
  };
  const Case kCases[] = {
      {__LINE__, "1 'LE 1/1 'GE 2/1 ' 'MAX", "A1..C3", "No Feasible Solution", true},
      {__LINE__, "1 -1 'LE 1/1 1 ' 'MAX", "A1..D2", "Region & Objective Function Unbounded", true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    SetUp();
    EnterBlock("A1", c.table);
    EXPECT_FALSE(LinearProgram(R(c.range), At("J1")).Done());
    EXPECT_EQ(LastMessage(), c.message);
    EXPECT_TRUE(Missing("J1"));
    EXPECT_NE(Missing("A6") && Missing("A5"), c.tableausStay);
  }
}

TEST_F(LinearProgramTest, SixtyOneColumnsAtMost) {
  // 29 LE constraints over v variables add 29 slack columns: v + 29 + 1 columns in all.
  for (int variables : {31, 32}) {
    SCOPED_TRACE(variables);
    SetUp();
    for (int i = 0; i < 30; ++i) {
      for (int j = 0; j < variables; ++j) {
        ASSERT_TRUE(EnterIntoCell(i, j, i == 29 || j % 29 == i ? "1" : "0").Done());
      }
      ASSERT_TRUE(EnterIntoCell(i, variables, i == 29 ? "'" : "'LE").Done());
      ASSERT_TRUE(EnterIntoCell(i, variables + 1, i == 29 ? "'MAX" : "1").Done());
    }
    const CellRange input = MakeRange(0, 0, uint16_t(variables + 1), 29);
    const CommandResult result = LinearProgram(input, CellAddress{200, 0});
    if (variables == 31) {
      ASSERT_TRUE(result.Done()) << LastMessage();
      EXPECT_EQ(CellNumber(CellAt(GetCell(0, 201))), 29);
    } else {
      EXPECT_FALSE(result.Done());
      EXPECT_EQ(LastMessage(), "Array size>30x30");
      EXPECT_EQ(GetCell(32, 0), 0u);  // nothing written
    }
  }
}

}  // namespace
