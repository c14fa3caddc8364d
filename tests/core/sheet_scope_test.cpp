#include "core/sheet_scope.h"

#include <gtest/gtest.h>

#include "core/cell_store.h"
#include "core/global_options.h"
#include "sheet_fixture.h"

namespace {

class SheetScopeTest : public SheetTest {};

TEST_F(SheetScopeTest, SwitchesForTheBlockAndKeepsEachSheetsOptions) {
  const SlotIndex other = CreateWorksheetWindow("OTHER.WKS");
  ASSERT_NE(other, 0);
  ActivateWorksheet(sheet_);
  Options().setManualRecalc(true);
  {
    SheetScope scope(other);
    EXPECT_EQ(CurrentWorksheet(), other);
    EXPECT_FALSE(Options().manualRecalc());
    ASSERT_NE(GetOrCreateCell(4, 2), 0u);
    {
      SheetScope same(other);  // current already: nothing switches
      EXPECT_EQ(CurrentWorksheet(), other);
    }
    EXPECT_EQ(CurrentWorksheet(), other);
    Options().setProtection(true);
  }
  EXPECT_EQ(CurrentWorksheet(), sheet_);
  EXPECT_TRUE(Options().manualRecalc());
  EXPECT_FALSE(Options().protection());
  EXPECT_EQ(GetCell(4, 2), 0u);  // the cell went to the other sheet
  SheetScope again(other);
  EXPECT_TRUE(Options().protection());
  EXPECT_NE(GetCell(4, 2), 0u);
}

TEST_F(SheetScopeTest, SlotNotInUseSwitchesNothing) {
  {
    SheetScope scope(SlotIndex(40));
    EXPECT_EQ(CurrentWorksheet(), sheet_);
  }
  EXPECT_EQ(CurrentWorksheet(), sheet_);
}

}  // namespace
