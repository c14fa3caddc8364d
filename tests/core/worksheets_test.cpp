#include "core/worksheets.h"

#include <gtest/gtest.h>

#include "core/cell_store.h"
#include "engine_test_layers.h"
#include "core/names.h"
#include "core/sheet_state.h"
#include "sheet_fixture.h"

namespace {

class WorksheetsTest : public SheetTest {};

TEST_F(WorksheetsTest, SecondWindowOnSameFileSharesItsCellsWhateverTheCase) {
  CloseAllWorksheets();
  ResetWorksheets();
  const SlotIndex a = CreateWorksheetWindow("/tmp/Budget.wks");
  ActivateWorksheet(a);
  ASSERT_NE(GetOrCreateCell(2, 3), 0u);
  bool isNew = true;
  const SlotIndex b = CreateWorksheetWindow("/TMP/BUDGET.WKS", &isNew);
  EXPECT_EQ(a, b);
  EXPECT_FALSE(isNew);
  EXPECT_EQ(Worksheet(a).extraWindows, 1);
  EXPECT_EQ(Worksheet(a).fileName, "/tmp/Budget.wks");

  const uint16_t heap = Worksheet(a).heap;
  CloseWorksheet(heap);  // one of two windows
  ASSERT_TRUE(Worksheet(a).InUse());
  ActivateWorksheet(a);
  EXPECT_NE(GetCell(2, 3), 0u);
  CloseWorksheet(heap);  // the last window
  EXPECT_FALSE(Worksheet(a).InUse());
  EXPECT_EQ(FindWorksheet("/tmp/budget.wks"), 0);
}

TEST_F(WorksheetsTest, FreedEntryInTheMiddleIsReusedBeforeTheTableGrows) {
  const SlotIndex b = CreateWorksheetWindow("B.WKS");
  const SlotIndex c = CreateWorksheetWindow("C.WKS");
  EXPECT_EQ(WorksheetCount(), 3);
  CloseWorksheet(Worksheet(b).heap);
  EXPECT_EQ(CreateWorksheetWindow("D.WKS"), b);
  EXPECT_EQ(WorksheetCount(), 3);
  EXPECT_NE(c, b);
}

TEST_F(WorksheetsTest, SwitchingSheetsRestoresExtentNamesAndGraphSettings) {
  ASSERT_NE(GetOrCreateCell(10, 4), 0u);
  ASSERT_LT(DefineName("TOTAL", MakeRange(0, 0, 1, 1)), 0);
  CurrentSheet().graphSettings[5] = 42;
  Options().setGlobalFormat(0x02);

  const SlotIndex other = CreateWorksheetWindow("OTHER.WKS");
  // Creating a window leaves the current sheet alone until the window is activated.
  EXPECT_EQ(CurrentWorksheet(), sheet_);
  EXPECT_EQ(LastRow(), 10);
  ActivateWorksheet(other);
  EXPECT_EQ(CurrentWorksheet(), other);
  EXPECT_EQ(LastRow(), 0);
  EXPECT_EQ(NameCount(), 0);
  EXPECT_EQ(CurrentSheet().graphSettings[5], 0);
  EXPECT_EQ(Options().globalFormat(), 0x71);
  ASSERT_NE(GetOrCreateCell(3, 1), 0u);

  StoreOptions(other);
  ActivateWorksheet(sheet_);
  EXPECT_EQ(LastRow(), 10);
  EXPECT_EQ(LastColumn(), 4);
  EXPECT_EQ(NameCount(), 1);
  EXPECT_EQ(NameAt(1), "TOTAL");
  EXPECT_EQ(CurrentSheet().graphSettings[5], 42);
  EXPECT_EQ(GetCell(3, 1), 0u);

  ActivateWorksheet(other);
  EXPECT_EQ(LastRow(), 3);
  EXPECT_NE(GetCell(3, 1), 0u);
}

TEST_F(WorksheetsTest, OptionsChangedSinceTheLastStoreSurviveASwitch) {
  const SlotIndex other = CreateWorksheetWindow("OTHER.WKS");
  ASSERT_NE(GetOrCreateCell(0, 0), 0u);  // sets the modified flag of the current sheet
  Options().setZeroSuppressed(true);
  ActivateWorksheet(other);
  EXPECT_FALSE(Options().modified());
  EXPECT_FALSE(Options().zeroSuppressed());
  ActivateWorksheet(sheet_);
  EXPECT_TRUE(Options().modified());
  EXPECT_TRUE(Options().zeroSuppressed());
}

TEST_F(WorksheetsTest, ClosingAWorksheetTellsTheLayersAbove) {
  static int closed = 0;
  closed = 0;
  TestLayers().worksheetClosed = [](int slot) { closed = slot; };
  const SlotIndex other = CreateWorksheetWindow("OTHER.WKS");
  CloseWorksheet(Worksheet(other).heap);
  EXPECT_EQ(closed, other);
  TestLayers().worksheetClosed = nullptr;
}

TEST_F(WorksheetsTest, NewSheetTakesDefaultsWithProtectionAndPasswordCleared) {
  DefaultOptions().setProtection(true);
  DefaultOptions().setPassword("xyz");
  DefaultOptions().setGlobalFormat(0x22);
  const SlotIndex s = CreateWorksheetWindow("NEW.WKS");
  ActivateWorksheet(s);
  EXPECT_FALSE(Options().protection());
  EXPECT_EQ(Options().password(), "");
  EXPECT_EQ(Options().globalFormat(), 0x22);
  for (int i = 0; i < GlobalOptions::kRangeCount; ++i) {
    EXPECT_FALSE(RangeIsValid(Options().range(i))) << "range " << i;
  }
}

TEST_F(WorksheetsTest, TheTableRefusesA256thWorksheetWithAMessage) {
  for (int i = 2; i <= 255; ++i) {
    ASSERT_EQ(CreateWorksheetWindow("S" + std::to_string(i)), i);
  }
  EXPECT_EQ(CreateWorksheetWindow("ONE.TOO.MANY"), 0);
  ASSERT_FALSE(TheHeadlessPlatform().messages.empty());
  EXPECT_EQ(TheHeadlessPlatform().messages.back(), "Too many worksheets open");
  EXPECT_EQ(WorksheetCount(), 255);
}

TEST_F(WorksheetsTest, ClosingTheCurrentSheetLeavesNoSheetCurrent) {
  ASSERT_NE(GetOrCreateCell(1, 1), 0u);
  CloseWorksheet(Worksheet(sheet_).heap);
  EXPECT_EQ(CurrentWorksheet(), 0);
  // Cell access without a current sheet finds nothing instead of touching freed memory.
  EXPECT_EQ(GetCell(1, 1), 0u);
  EXPECT_EQ(GetOrCreateCell(1, 1), 0u);
}

TEST_F(WorksheetsTest, ParkAndUnparkKeepTheCurrentRowTable) {
  ASSERT_NE(GetOrCreateCell(7, 7), 0u);
  const SlotIndex other = CreateWorksheetWindow("OTHER.WKS");
  ParkCurrent();
  CurrentSheet().rowTable = Worksheet(other).rowTable.get();
  PoolSetHeap(Worksheet(other).heap);
  EXPECT_EQ(GetCell(7, 7), 0u);
  UnparkCurrent();
  EXPECT_NE(GetCell(7, 7), 0u);
  EXPECT_EQ(LastRow(), 7);
}

}  // namespace
