// tests/analysis/regression_test.cpp — Regress and FitTerms: the statistics, the formula written,
// accuracy far from zero, refusals, Undo.
#include "analysis/regression.h"

#include <cmath>

#include "analysis_fixture.h"

namespace {

class RegressionTest : public AnalysisFixture {};

TEST_F(RegressionTest, StatisticsOfExactAndNoisyLines) {
  struct Case {
    int line;
    const char* x;
    const char* y;
    double intercept, slope, r2, count, regErr;
  };
  const Case kCases[] = {
      {__LINE__, "1/2/3", "2/4/6", 0, 2, 1, 3, 0},
      {__LINE__, "1/2", "3/5", 1, 2, 1, 2, 0},  // n = 2: no error estimates
      {__LINE__, "1/2/3/4", "1/3/2/5", 0, 1.1, 0.6914285714285714, 4, 1.161895003862225},
      // Far from zero the raw sums cancel; the centred ones do not.
      {__LINE__, "100000001/100000002/100000003/100000004", "1/3/2/5", -110000000, 1.1,
       0.6914285714285714, 4, 1.161895003862225},
      {__LINE__, "100000001/100000002/100000003", "2/4/6", -200000000, 2, 1, 3, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    SetUp();
    EnterBlock("A1", c.x);
    EnterBlock("B1", c.y);
    const int n = int(c.count);
    const std::string last = std::to_string(n);
    ASSERT_TRUE(Regress(R("A1..A" + last), R("B1..B" + last), At("D1")).Done());
    EXPECT_EQ(Texts("D1..D12"),
              "'Intercept/'Slope/'R^2/'Sum x^2/'Sum y^2/'Sum x*y/'Count/'Sigma x^2/'Sigma y^2/"
              "'RegErr/'SlopeErr/'Formula:");
    EXPECT_NEAR(Number("E1"), c.intercept, 1e-6);
    EXPECT_NEAR(Number("E2"), c.slope, 1e-9);
    EXPECT_NEAR(Number("E3"), c.r2, 1e-12);
    EXPECT_EQ(Number("E7"), c.count);
    EXPECT_NEAR(Number("E10"), c.regErr, 1e-9);
    if (n <= 2) {
      EXPECT_EQ(Number("E11"), 0);
    }
  }
}

TEST_F(RegressionTest, WritesTheFittedLineAsAFormulaInX) {
  EnterBlock("A1", "1/2/3");
  EnterBlock("B1", "2/4/6");
  ASSERT_TRUE(Regress(R("A1..A3"), R("B1..B3"), At("D1")).Done());
  EXPECT_EQ(Text("E12"), "+2*@X");
  EXPECT_EQ(Number("E4"), 14);
  EXPECT_EQ(Number("E5"), 56);
  EXPECT_EQ(Number("E6"), 28);
  EXPECT_NEAR(Number("E8"), 2.0 / 3, 1e-15);
  EnterBlock("B1", "3/5/7");
  ASSERT_TRUE(Regress(R("A1..A3"), R("B1..B3"), At("D1")).Done());
  EXPECT_EQ(Text("E12"), "+1+2*@X");
}

TEST_F(RegressionTest, PairsWithAMissingCellAreSkipped) {
  EnterBlock("A1", "1/2/99/3");
  EnterBlock("B1", "2/4");
  Enter("B4", "6");
  ASSERT_TRUE(Regress(R("A1..A4"), R("B1..B4"), At("D1")).Done());
  EXPECT_EQ(Number("E7"), 3);
  EXPECT_EQ(Number("E2"), 2);
}

TEST_F(RegressionTest, EqualValuesGiveCalcErrorAndWriteNothing) {
  const char* const kColumns[][2] = {
      {"1/1/1", "1/2/3"}, {"1/2/3", "5/5/5"}, {"0.1/0.1/0.1", "1/2/3"}};
  for (const auto& c : kColumns) {
    SCOPED_TRACE(c[0]);
    SetUp();
    EnterBlock("A1", c[0]);
    EnterBlock("B1", c[1]);
    EXPECT_FALSE(Regress(R("A1..A3"), R("B1..B3"), At("D1")).Done());
    EXPECT_EQ(LastMessage(), "Calc Error");
    EXPECT_TRUE(Missing("D1"));
    EXPECT_TRUE(Missing("E2"));
  }
}

TEST_F(RegressionTest, UndefinedRangesBeepAndUndoTakesTheOutputAway) {
  const int beeps = TheHeadlessPlatform().beeps;
  EXPECT_FALSE(Regress(NoRange(), R("B1..B3"), At("D1")).Done());
  EXPECT_EQ(TheHeadlessPlatform().beeps, beeps + 1);
  EnterBlock("A1", "1/2/3");
  EnterBlock("B1", "2/4/6");
  ASSERT_TRUE(Regress(R("A1..A3"), R("B1..B3"), At("D1")).Done());
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_TRUE(Missing("D1"));
  EXPECT_TRUE(Missing("E12"));
  EXPECT_EQ(Number("B3"), 6);
}

TEST_F(RegressionTest, FitTermsRecoversPolynomialsAndNamesTheTerms) {
  // y = 1 + 2x + 3x^2 over x = 1..6.
  EnterBlock("A1", "1/2/3/4/5/6");
  EnterBlock("B1", "6/17/34/57/86/121");
  ASSERT_TRUE(FitTerms(R("A1..A6"), R("B1..B6"), At("D1"), {2, 0, 1}).Done());
  EXPECT_EQ(Texts("D1..D6"), "'Const/'x/'x^2/'Formula:/'Result:/'R^2");
  EXPECT_NEAR(Number("E1"), 1, 1e-9);
  EXPECT_NEAR(Number("E2"), 2, 1e-9);
  EXPECT_NEAR(Number("E3"), 3, 1e-10);
  EXPECT_EQ(Text("E4"), "+1+2*@X+3*@X^2");
  EXPECT_NEAR(Number("E5"), 6, 1e-9);
  EXPECT_NEAR(Number("E6"), 1, 1e-12);
}

TEST_F(RegressionTest, FitTermsOnYearsKeepsItsPrecision) {
  // y = 0.5 (x - 1990)^2 + 3 (x - 1990) + 7 written in powers of the years.
  std::string xs, ys;
  for (int year = 1990; year <= 1999; ++year) {
    const double t = year - 1990;
    xs += std::to_string(year) + "/";
    ys += std::to_string(0.5 * t * t + 3 * t + 7) + "/";
  }
  EnterBlock("A1", xs);
  EnterBlock("B1", ys);
  ASSERT_TRUE(FitTerms(R("A1..A10"), R("B1..B10"), At("D1"), {0, 1, 2}).Done());
  EXPECT_NEAR(Number("E3"), 0.5, 1e-7);
  EXPECT_NEAR(Number("E2"), 3 - 1990.0, 1e-3);
  EXPECT_NEAR(Number("E6"), 1, 1e-9);  // R^2
  EXPECT_NEAR(Number("E5"), 7, 1e-4);  // the fitted value of the first row
}

TEST_F(RegressionTest, FitTermsWithSeveralColumnsWritesALabel) {
  // y = 2 + 3 x1 - x2.
  EnterBlock("A1", "1 5/2 3/3 8/4 1/5 2");
  EnterBlock("C1", "0/5/3/13/15");
  ASSERT_TRUE(FitTerms(R("A1..B5"), R("C1..C5"), At("E1"), DefaultFitTerms(2)).Done());
  EXPECT_EQ(Texts("E1..E3"), "'Const/'x1/'x2");
  EXPECT_NEAR(Number("F1"), 2, 1e-9);
  EXPECT_NEAR(Number("F3"), -1, 1e-9);
  EXPECT_EQ(Text("F4"), "'2+3*A1+-1*B1");
}

TEST_F(RegressionTest, FitTermsRefusesRankDeficientSystems) {
  struct Case {
    int line;
    const char* x;
    std::vector<int> codes;
  };
  const Case kCases[] = {
      {__LINE__, "1 1/2 2/3 3/4 4", {1, 10}},   // two equal columns
      {__LINE__, "1/2", {0, 1, 2, 3, 4}},        // more terms than rows
      {__LINE__, "5/5/5/5", {0, 1}},             // x constant
      {__LINE__, "1/2/3/4", {0, 99}},            // no such column
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    SetUp();
    EnterBlock("A1", c.x);
    EnterBlock("D1", "1/2/3/5");
    EXPECT_FALSE(FitTerms(R("A1..B4"), R("D1..D4"), At("F1"), c.codes).Done());
    EXPECT_EQ(LastMessage(), "Can not regress! Try another function");
    EXPECT_TRUE(Missing("F1"));
  }
}

}  // namespace
