// tests/commands/fill_test.cpp — Data Fill: series types and orders, exact integers, overflow,
// protection.
#include "commands/fill.h"

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

class FillTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetEngineState();
    ASSERT_NE(NewWorksheet("SHEET1.WKS"), 0);
  }
  void TearDown() override { ResetEngineState(); }

  static std::string Text(uint32_t row, uint32_t column) {
    return CellContentsText(GetCell(row, column));
  }
  // The texts of the range's cells, rows joined by "/", cells by " ".
  static std::string Texts(const char* range) {
    const CellRange r = ParseRange(range);
    std::string out;
    for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
      if (row > r.firstRow) out += "/";
      for (uint32_t column = r.firstColumn; column <= r.lastColumn; ++column) {
        if (column > r.firstColumn) out += " ";
        out += Text(row, column);
      }
    }
    return out;
  }
  static double Number(const char* ref) {
    const ParsedCell p = ParseCellRef(ref);
    const CellHandle h = GetCell(p.row, p.column);
    return h ? CellNumber(CellAt(h)) : -1;
  }
};

TEST_F(FillTest, SeriesOfEachTypeAndOrder) {
  struct Case {
    const char* range;
    FillType type;
    bool rowOrder;
    double step, start;
    const char* expected;
  } cases[] = {
      {"A1..C2", FillType::kLinear, true, 1, 1, "1 2 3/4 5 6"},
      {"A1..C2", FillType::kLinear, false, 1, 1, "1 3 5/2 4 6"},
      {"A1..D1", FillType::kMultiply, true, 2, 1, "1 2 4 8"},
      {"A1..D1", FillType::kPower, true, 2, 2, "2 4 16 256"},
      {"A1..E1", FillType::kLinear, true, 2, 1, "1 3 5 7 9"},
      {"A1..C1", FillType::kLinear, true, -0.5, 1, "1 0.5 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.range);
    ResetEngineState();
    ASSERT_NE(NewWorksheet("SHEET1.WKS"), 0);
    ASSERT_TRUE(FillSeries(ParseRange(c.range), c.type, c.rowOrder, c.step, c.start).Done());
    EXPECT_EQ(Texts(c.range), c.expected);
  }
}

TEST_F(FillTest, FloatingStepsGiveTheFloatingSumsAndWholeOnesExactIntegers) {
  ASSERT_TRUE(FillSeries(ParseRange("A1..A10"), FillType::kLinear, true, 0.1, 0.1).Done());
  double sum = 0.1;
  for (int r = 0; r < 10; ++r, sum += 0.1) EXPECT_EQ(CellNumber(CellAt(GetCell(r, 0))), sum) << r;
  // Whole numbers far beyond 2^31 stay exact: 2^52 + k.
  ASSERT_TRUE(FillSeries(ParseRange("B1..B3"), FillType::kLinear, true, 1, 4503599627370496.0).Done());
  EXPECT_EQ(Number("B3"), 4503599627370498.0);
  // Past 32 bits nothing wraps.
  ASSERT_TRUE(FillSeries(ParseRange("C1..C2"), FillType::kLinear, true, 1, 2147483647).Done());
  EXPECT_EQ(Number("C2"), 2147483648.0);
}

TEST_F(FillTest, AValueThatIsNotFiniteStopsTheFill) {
  const CommandResult r = FillSeries(ParseRange("A1..A5"), FillType::kPower, true, 200, 10);
  EXPECT_EQ(r.status, CommandStatus::kFailed);
  EXPECT_EQ(r.message, "Fill Overflow at A3");
  EXPECT_EQ(Number("A2"), 1e200);
  EXPECT_EQ(GetCell(2, 0), 0u);
}

TEST_F(FillTest, FillReplacesFormulasAndStopsAtALockedCell) {
  ASSERT_TRUE(EnterIntoCell(0, 2, "+A1*2").Done());  // C1 depends on A1
  ASSERT_TRUE(EnterIntoCell(0, 1, "+A1").Done());    // B1 will be filled over
  ASSERT_TRUE(FillSeries(ParseRange("A1..B1"), FillType::kLinear, true, 1, 5).Done());
  EXPECT_EQ(Texts("A1..C1"), "5 6 +A1*2");
  EXPECT_EQ(Number("C1"), 10);
  // Under protection the fill stops at the first locked position; Undo takes it all back.
  ASSERT_TRUE(SetRangeLock(ParseRange("A2"), false).Done());
  ASSERT_TRUE(SetSheetProtection(true).Done());
  const CommandResult r = FillSeries(ParseRange("A2..A3"), FillType::kLinear, true, 1, 1);
  EXPECT_EQ(r.status, CommandStatus::kProtected);
  EXPECT_EQ(Texts("A2..A3"), "1/");
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(Texts("A2..A3"), "/");
}

// Interrupts the first long operation that asks after `afterChecks` questions.
class InterruptingPlatform : public HeadlessPlatform {
 public:
  int afterChecks = 0;
  int checks = 0;
  bool UserInterrupted() override { return ++checks > afterChecks; }
};

TEST_F(FillTest, TheUsersInterruptStopsTheFillWithTheCellsBeforeItFilled) {
  InterruptingPlatform platform;
  platform.afterChecks = 1;  // the interrupt asked at cell 2 passes, the one at cell 2050 stops
  InstallPlatform(&platform);
  const CommandResult r = FillSeries(ParseRange("A1..A5000"), FillType::kLinear, true, 1, 1);
  InstallPlatform(nullptr);
  EXPECT_EQ(r.status, CommandStatus::kFailed);
  EXPECT_EQ(platform.checks, 2);
  EXPECT_EQ(Number("A2049"), 2049);
  EXPECT_EQ(Number("A2051"), -1);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(FillTest, SpeedFillFillsTheLongerEdgeFromANumberOrCopiesALabelOrFormula) {
  struct Case {
    int line;
    const char* topLeft;  // entered at B2 ("" for none)
    const char* block;
    const char* range;  // shown afterwards
    const char* expected;
    CommandStatus status;
  } cases[] = {
      {__LINE__, "5", "B2..D3", "B2..D3", "5 6 7/  ", CommandStatus::kDone},
      {__LINE__, "5", "B2..C4", "B2..C4", "5 /6 /7 ", CommandStatus::kDone},
      {__LINE__, "5", "B2..C3", "B2..C3", "5 6/ ", CommandStatus::kDone},  // square: the row
      {__LINE__, "'ab", "B2..C3", "B2..C3", "'ab 'ab/'ab 'ab", CommandStatus::kDone},
      {__LINE__, "+A1+1", "B2..B3", "B2..B3", "+A1+1/+A2+1", CommandStatus::kDone},
      {__LINE__, "", "B2..C3", "B2..C3", " / ", CommandStatus::kFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ResetEngineState();
    ASSERT_NE(NewWorksheet("SHEET1.WKS"), 0);
    if (*c.topLeft) {
      ASSERT_TRUE(EnterIntoCell(1, 1, c.topLeft).Done());
    }
    EXPECT_EQ(SpeedFill(ParseRange(c.block)).status, c.status);
    EXPECT_EQ(Texts(c.range), c.expected);
  }
}

}  // namespace
