// tests/formula/function_library_test.cpp — the user-function library, the sheet's list and the
// function list window's items.
#include <algorithm>
#include <string>

#include "formula_fixture.h"

namespace {

class FunctionLibraryTest : public FormulaTest {};

TEST_F(FunctionLibraryTest, LibraryClipsNamesTextsAndCounts) {
  ASSERT_TRUE(AddLibraryFunction("averageofall3", std::string(300, 'x'), 14));
  const UserFunction& f = LibraryFunction(1);
  EXPECT_EQ(f.name, "AVERAGEOFALL");
  EXPECT_EQ(f.text.size(), 255u);
  EXPECT_EQ(f.argumentCount, 10);
  EXPECT_EQ(FindLibraryFunction("averageofall"), 1);
  for (int i = 1; i < kMaxUserFunctions; ++i) ASSERT_TRUE(AddLibraryFunction("F", "1", 0));
  EXPECT_FALSE(AddLibraryFunction("ONEMORE", "1", 0));
  EXPECT_EQ(LibraryFunctionCount(), kMaxUserFunctions);
}

TEST_F(FunctionLibraryTest, SheetListLivesInThePoolAndTravelsWithTheSheet) {
  EXPECT_EQ(AddSheetFunction("twice", "@A(1)*2", 1), 1);
  EXPECT_EQ(AddSheetFunction("HALF", "@A(1)/2", 1), 2);
  UserFunction f;
  EXPECT_FALSE(SheetFunctionAt(0, &f));
  EXPECT_FALSE(SheetFunctionAt(3, &f));
  ASSERT_TRUE(SheetFunctionAt(2, &f));
  EXPECT_EQ(f.name, "HALF");
  EXPECT_EQ(f.text, "@A(1)/2");
  EXPECT_EQ(FindSheetFunction("Twice"), 1);

  // Another sheet has a list of its own; coming back finds the first list again.
  SlotIndex other = CreateWorksheetWindow("OTHER.WKS");
  ASSERT_NE(other, 0);
  ActivateWorksheet(other);
  EXPECT_EQ(SheetFunctionCount(), 0);
  ActivateWorksheet(sheet_);
  EXPECT_EQ(SheetFunctionCount(), 2);

  ResetSheetFunctions();
  EXPECT_EQ(SheetFunctionCount(), 0);
  std::string why;
  EXPECT_TRUE(CheckPoolIntegrity(&why)) << why;
}

TEST_F(FunctionLibraryTest, FunctionListItems) {
  ASSERT_TRUE(AddLibraryFunction("TWICE", "@A(1)*2", 1));
  ASSERT_TRUE(AddLibraryFunction("SEVEN", "7", 0));
  std::vector<std::string> items = FunctionListItems();
  auto external = std::find(items.begin(), items.end(), "--External--");
  ASSERT_NE(external, items.end());
  EXPECT_TRUE(std::is_sorted(items.begin(), external));
  EXPECT_EQ(std::vector<std::string>(external + 1, items.end()),
            (std::vector<std::string>{"TWICE(1)", "SEVEN"}));
  for (const char* item : {"NOT(1)", "PI", "SUM( var )", "IF(3)", "REPLACE(1)", "@(1)", "COVAR(2)"}) {
    EXPECT_NE(std::find(items.begin(), external, item), external) << item;
  }
  EXPECT_EQ(std::count(items.begin(), external, "NA"), 1);
  EXPECT_EQ(external - items.begin(), 1 + (0xBB - 0x1F + 1) - 2);  // less 0x2A and 0x72
}

}  // namespace
