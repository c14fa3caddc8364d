// tests/commands/sort_test.cpp — Data Sort: key classes and orders, stability, groups, moving
// records, formulas inside and outside the data range, Undo.
#include "commands/sort.h"

#include <gtest/gtest.h>

#include <array>

#include <string>
#include <vector>

#include "commands/commands.h"
#include "commands/engine_start.h"
#include "commands/worksheet_files.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "core/global_options.h"
#include "core/worksheets.h"
#include "formula/formula_text.h"
#include "formula/recalc.h"
#include "platform/headless/headless_platform.h"
#include "sheet_fixture.h"

namespace {

class SortTest : public SheetFixture {
 protected:
  // The texts of a column from row 1 to `rows`, joined by "|".
  static std::string Column(char column, int rows) {
    std::string out;
    for (int r = 1; r <= rows; ++r) out += (r > 1 ? "|" : "") + Text(column + std::to_string(r));
    return out;
  }
  static CommandResult Sort(const char* data, std::vector<const char*> keys, SortOrders orders) {
    std::array<CellRange, 4> k;
    for (size_t i = 0; i < keys.size(); ++i) k[i] = ParseRange(keys[i]);
    return SortRange(ParseRange(data), k, orders);
  }
  static void ExpectSound() {
    std::string why;
    EXPECT_TRUE(CheckRowChains(&why)) << why;
    EXPECT_TRUE(CheckDependencyLinks(&why)) << why;
  }
};

constexpr SortOrders kUp = kAllAscending;
constexpr SortOrders kDown = {false, false, false, false};

struct KeyCase {
  const char* name;
  std::vector<std::string> keys;  // column A, rows 1.. ("" leaves the cell empty)
  SortOrders orders;
  const char* expected;           // the markers of column B afterwards
};

TEST_F(SortTest, KeysOfEachClassSortInTheirOrder) {
  const KeyCase cases[] = {
      {"numbers ascending", {"3", "1", "2"}, kUp, "'r2|'r3|'r1"},
      {"numbers descending", {"3", "1", "2"}, kDown, "'r1|'r3|'r2"},
      {"numbers, blank, labels", {"5", "apple", "2", ""}, kUp, "'r3|'r1|'r4|'r2"},
      {"labels, blank, numbers descending", {"5", "apple", "2", ""}, kDown, "'r2|'r4|'r1|'r3"},
      // Labels compare by their text after the prefix.
      {"prefix ignored", {"^banana", "'cherry", "\"apple"}, kUp, "'r3|'r1|'r2"},
      {"byte order, shorter stem first", {"'ab", "'B", "'a"}, kUp, "'r2|'r3|'r1"},
      // Ties keep their order, both ways.
      {"stable ascending", {"1", "1", "0", "0"}, kUp, "'r3|'r4|'r1|'r2"},
      {"stable descending", {"1", "1", "0", "0"}, kDown, "'r1|'r2|'r3|'r4"},
      {"different kinds of equal numbers", {"+0.5+0.5", "1", "0.5"}, kUp, "'r3|'r1|'r2"},
      // Errors after labels.
      {"errors last", {"@ERR", "'zz", "7"}, kUp, "'r3|'r2|'r1"},
      {"string formulas by their string", {"'b", "+\"a\"", "'c"}, kUp, "'r2|'r1|'r3"},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    ResetEngineState();
    ASSERT_NE(NewWorksheet("SHEET1.WKS"), 0);
    const int rows = int(c.keys.size());
    for (int r = 1; r <= rows; ++r) {
      if (!c.keys[size_t(r - 1)].empty()) Enter("A" + std::to_string(r), c.keys[size_t(r - 1)]);
      Enter("B" + std::to_string(r), "r" + std::to_string(r));
    }
    const std::string data = "A1..B" + std::to_string(rows);
    ASSERT_TRUE(Sort(data.c_str(), {"A1"}, c.orders).Done());
    EXPECT_EQ(Column('B', rows), c.expected);
    ExpectSound();
  }
}

TEST_F(SortTest, LaterKeysOrderTheRowsTiedOnTheEarlierOnes) {
  // Key 1 in A, key 2 in B (descending), key 3 in C; D marks the rows.
  const char* rows[][4] = {
      {"2", "1", "9", "r1"}, {"1", "5", "1", "r2"}, {"2", "3", "2", "r3"},
      {"", "9", "1", "r4"},  {"1", "5", "0", "r5"}, {"", "1", "1", "r6"},
  };
  for (int r = 0; r < 6; ++r) {
    for (int c = 0; c < 4; ++c) {
      if (*rows[r][c]) Enter(std::string(1, char('A' + c)) + std::to_string(r + 1), rows[r][c]);
    }
  }
  ASSERT_TRUE(Sort("A1..D6", {"A1", "B1", "C1"}, {true, false, true, true}).Done());
  // 1-rows by B descending (tied 5s by C), then 2-rows by B descending; rows with no key 1 keep
  // their order, whatever key 2 says.
  EXPECT_EQ(Column('D', 6), "'r5|'r2|'r3|'r1|'r4|'r6");
  ExpectSound();
}

TEST_F(SortTest, FormulasInsideFollowTheirCellsAndFormulasOutsideKeepTheirPositions) {
  Enter("A1", "3");
  Enter("A2", "1");
  Enter("A3", "2");
  for (int r = 1; r <= 3; ++r) Enter("B" + std::to_string(r), "+A" + std::to_string(r) + "*10");
  Enter("C1", "'left alone");  // right of the data range
  Enter("E1", "+B3");
  Enter("E2", "@SUM(A1..A2)");
  Enter("E3", "+A1");
  ASSERT_TRUE(Sort("A1..B3", {"A1"}, kUp).Done());
  EXPECT_EQ(Column('A', 3), "1|2|3");
  EXPECT_EQ(Column('B', 3), "+A1*10|+A2*10|+A3*10");
  EXPECT_EQ(Number("B1"), 10);
  EXPECT_EQ(Text("C1"), "'left alone");
  EXPECT_EQ(Text("E1"), "+B3");
  EXPECT_EQ(Number("E1"), 30);
  EXPECT_EQ(Text("E2"), "@SUM(A1..A2)");
  EXPECT_EQ(Number("E2"), 3);
  EXPECT_EQ(Number("E3"), 1);
  ExpectSound();
  // Changing a cell recalculates the formulas that now hang on it.
  Enter("A3", "5");
  EXPECT_EQ(Number("E1"), 50);
  EXPECT_EQ(Number("B3"), 50);
}

TEST_F(SortTest, AFormulaReferringToAnotherRowOfTheRangeFollowsThatCell) {
  Enter("A1", "2");
  Enter("B1", "+A2");  // refers to the row that will move up
  Enter("A2", "1");
  ASSERT_TRUE(Sort("A1..B2", {"A1"}, kUp).Done());
  EXPECT_EQ(Text("B2"), "+A1");
  EXPECT_EQ(Number("B2"), 1);
  ExpectSound();
}

TEST_F(SortTest, UndoPutsTheRowsBack) {
  Enter("A1", "2");
  Enter("A2", "1");
  Enter("C1", "+A1");
  ASSERT_TRUE(Sort("A1..A2", {"A1"}, kUp).Done());
  EXPECT_EQ(Number("C1"), 1);
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(Column('A', 2), "2|1");
  EXPECT_EQ(Number("C1"), 2);
  ExpectSound();
}

TEST_F(SortTest, NothingHappensWithoutDataOrKeyAndProtectionRefuses) {
  Enter("A1", "2");
  Enter("A2", "1");
  EXPECT_TRUE(Sort("A1..A2", {}, kUp).Done());
  EXPECT_TRUE(Sort("A1..A1", {"A1"}, kUp).Done());  // one row
  EXPECT_EQ(Column('A', 2), "2|1");
  ASSERT_TRUE(SetSheetProtection(true).Done());
  EXPECT_EQ(Sort("A1..A2", {"A1"}, kUp).status, CommandStatus::kProtected);
  EXPECT_EQ(Column('A', 2), "2|1");
}

TEST_F(SortTest, TheSettingsKeepTheRanges) {
  Enter("A1", "2");
  Enter("A2", "1");
  ASSERT_TRUE(Sort("A1..A2", {"A1", "NUL"}, kUp).Done());
  EXPECT_EQ(Options().range(GlobalOptions::kSortRange).lastRow, 1);
  EXPECT_FALSE(RangeIsValid(Options().range(GlobalOptions::kSortKey2)));
  Enter("A1", "9");
  ASSERT_TRUE(SortData().Done());  // sorts again with what the settings hold
  EXPECT_EQ(Column('A', 2), "2|9");
}

TEST_F(SortTest, TheDataRangeBecomesTheSelection) {
  Enter("B2", "2");
  Enter("B3", "1");
  TheHeadlessPlatform().selection = PlatformBlock{};
  ASSERT_TRUE(Sort("B2..C3", {"B2"}, kUp).Done());
  const PlatformBlock s = TheHeadlessPlatform().selection;
  EXPECT_EQ((std::array<int, 4>{s.firstColumn, s.firstRow, s.lastColumn, s.lastRow}),
            (std::array<int, 4>{1, 1, 2, 2}));
}

}  // namespace
