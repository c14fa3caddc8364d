#include "core/names.h"

#include <gtest/gtest.h>

#include "core/cell_store.h"
#include "sheet_fixture.h"

namespace {

class NamesTest : public SheetTest {
 protected:
  void Label(uint32_t row, uint32_t column, const std::string& text) {
    CellHandle h = GetOrCreateCell(row, column);
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(SetCellText(CellAt(h), "'" + text));
    CellAt(h)->kind = static_cast<uint8_t>(CellKind::kLabel);
  }
  std::string LabelText(uint32_t row, uint32_t column) {
    CellHandle h = GetCell(row, column);
    return h ? PoolText(CellAt(h)->text) : "<none>";
  }
};

TEST_F(NamesTest, DefiningTheSameNameInAnotherCaseUpdatesOneEntry) {
  EXPECT_EQ(DefineName("total", MakeRange(0, 0, 0, 9)), -1);
  EXPECT_EQ(DefineName("TOTAL", MakeRange(1, 0, 1, 9)), 1);
  EXPECT_EQ(NameCount(), 1);
  EXPECT_EQ(LookupName("Total"), 1);
  EXPECT_EQ(NameRange(1), MakeRange(1, 0, 1, 9));
}

TEST_F(NamesTest, NamesStaySortedAndFindNameGivesTheInsertionPoint) {
  DefineName("C", MakeRange(2, 0, 2, 0));
  DefineName("A", MakeRange(0, 0, 0, 0));
  DefineName("B", MakeRange(1, 0, 1, 0));
  ASSERT_EQ(NameCount(), 3);
  EXPECT_EQ(NameAt(1), "A");
  EXPECT_EQ(NameAt(2), "B");
  EXPECT_EQ(NameAt(3), "C");
  EXPECT_EQ(FindName("B", 1, 3), 2);
  EXPECT_EQ(FindName("0", 1, 3), -1);  // would go first
  EXPECT_EQ(FindName("BB", 1, 3), -3);
  EXPECT_EQ(FindName("D", 1, 3), -4);
}

TEST_F(NamesTest, ANameWinsOverAReferenceSpelledAlikeAndDollarSetsAllFlags) {
  DefineName("A1", MakeRange(3, 3, 4, 4));
  DefineName("TOTAL", MakeRange(0, 5, 0, 9));
  ClearError();
  EXPECT_EQ(ParseRange("a1"), MakeRange(3, 3, 4, 4));
  EXPECT_EQ(LastParseFlags(), 0);
  EXPECT_EQ(ParseRange("$TOTAL"), MakeRange(0, 5, 0, 9));
  EXPECT_EQ(LastParseFlags(), 15);
  EXPECT_EQ(ParseRange("total"), MakeRange(0, 5, 0, 9));
  EXPECT_EQ(LastParseFlags(), 0);
  EXPECT_FALSE(ErrorRaised());
}

TEST_F(NamesTest, TwelveCharacterNamesAreFoundWithAndWithoutDollar) {
  DefineName("ABCDEFGHIJKLMNOP", MakeRange(1, 1, 1, 1));  // cut to 12
  EXPECT_EQ(NameAt(1), "ABCDEFGHIJKL");
  EXPECT_EQ(LookupName("ABCDEFGHIJKL"), 1);
  EXPECT_EQ(LookupName("$ABCDEFGHIJKL"), 1);
  EXPECT_EQ(LookupName("ABCDEFGHIJK"), 0);
}

TEST_F(NamesTest, DeletingTheOnlyNameLeavesNothingToFind) {
  DefineName("ONLY", MakeRange(0, 0, 0, 0));
  EXPECT_EQ(DeleteName("only"), 1);
  EXPECT_EQ(NameCount(), 0);
  EXPECT_EQ(LookupName("ONLY"), 0);
  EXPECT_LE(DeleteName("ONLY"), 0);
}

TEST_F(NamesTest, DeleteAndResetGiveTheirBlocksBackToThePool) {
  const int64_t before = PoolFreeBytes();
  for (int i = 0; i < 20; ++i) DefineName("N" + std::to_string(i), MakeRange(0, 0, 0, 0));
  EXPECT_LT(PoolFreeBytes(), before);
  DeleteName("N3");
  ResetNames();
  EXPECT_EQ(PoolFreeBytes(), before);
  EXPECT_EQ(NameCount(), 0);
}

TEST_F(NamesTest, TheTableHoldsAtMost240Names) {
  for (int i = 0; i < kMaxNames; ++i) {
    ASSERT_LT(DefineName("N" + std::to_string(i), MakeRange(0, 0, 0, 0)), 0) << i;
  }
  EXPECT_EQ(DefineName("ONEMORE", MakeRange(0, 0, 0, 0)), 0);
  EXPECT_EQ(NameCount(), kMaxNames);
}

TEST_F(NamesTest, CheckNewNameRefusesEmptyAndAllDigitNames) {
  EXPECT_EQ(CheckNewName("123"), " All Digits in Name!");
  EXPECT_EQ(CheckNewName(""), " All Digits in Name!");
  EXPECT_EQ(CheckNewName("Q1"), "");
}

TEST_F(NamesTest, BuildNamesReadsNameAndRangeColumnsSkippingDigitNames) {
  Label(0, 0, "SALES");
  Label(0, 1, "B2..B9");
  Label(1, 0, "12");
  Label(1, 1, "C1");
  Label(2, 0, "Net Cost");
  Label(2, 1, "D4");
  BuildNames(MakeRange(0, 0, 1, 2));
  EXPECT_TRUE(TheHeadlessPlatform().messages.empty());
  ASSERT_EQ(NameCount(), 2);
  EXPECT_EQ(NameAt(1), "NETCOST");
  EXPECT_EQ(NameRange(1), MakeRange(3, 3, 3, 3));
  EXPECT_EQ(NameAt(2), "SALES");
  EXPECT_EQ(NameRange(2), MakeRange(1, 1, 1, 8));
}

TEST_F(NamesTest, BuildNamesStopsAtABadRangeWithAMessage) {
  Label(0, 0, "GOOD");
  Label(0, 1, "A1");
  Label(1, 0, "BAD");
  Label(1, 1, "IW1");
  Label(2, 0, "LATER");
  Label(2, 1, "A2");
  BuildNames(MakeRange(0, 0, 1, 2));
  ASSERT_EQ(TheHeadlessPlatform().messages.size(), 1u);
  EXPECT_EQ(TheHeadlessPlatform().messages[0], "Error Creating Names");
  EXPECT_EQ(NameCount(), 1);
  EXPECT_EQ(LookupName("BAD"), 0);
}

TEST_F(NamesTest, TableNamesWritesNameAndRangeLabels) {
  DefineName("ZED", MakeRange(0, 0, 2, 4));
  DefineName("ALPHA", MakeRange(1, 1, 1, 1));
  TableNames(MakeRange(5, 10, 5, 10));
  EXPECT_EQ(LabelText(10, 5), "'ALPHA");
  EXPECT_EQ(LabelText(10, 6), "'B2");
  EXPECT_EQ(LabelText(11, 5), "'ZED");
  EXPECT_EQ(LabelText(11, 6), "'A1..C5");
}

}  // namespace
