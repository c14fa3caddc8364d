// tests/core/cell_store_test.cpp — row chains, the grid limits, the extent, numbers and texts.
#include "core/cell_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core_fixture.h"

namespace {

class CellStoreTest : public CoreTest {};

TEST_F(CellStoreTest, ChainsStaySortedWhateverTheCreationOrder) {
  for (uint32_t column : {5u, 2u, 9u, 2u, 0u, 7u}) ASSERT_NE(GetOrCreateCell(3, column), 0u);
  EXPECT_EQ(DumpRowChain(3), "row 3: 0 2 5 7 9");
  EXPECT_EQ(GetCell(3, 6), 0u);
  EXPECT_EQ(CellAt(FindCellAtOrAfter(3, 6))->column, 7);
  EXPECT_EQ(FindCellAtOrAfter(3, 10), 0u);
  EXPECT_EQ(FindCellAtOrAfter(8192, 0), 0u);
  EXPECT_EQ(GetCell(3, 5), GetOrCreateCell(3, 5));  // an existing cell is given back
  ExpectSound();
}

TEST_F(CellStoreTest, NewCellsAreBlankTemplatesThatMarkTheSheetModified) {
  EXPECT_FALSE(SheetModified());
  EXPECT_EQ(GetCell(4, 4), 0u);
  EXPECT_FALSE(SheetModified());  // looking does not modify
  CellHandle h = GetOrCreateCell(4, 4);
  ASSERT_NE(h, 0u);
  EXPECT_TRUE(SheetModified());
  const CellRecord* c = CellAt(h);
  EXPECT_EQ(c->kind, 5);
  EXPECT_EQ(c->format, 0xFF);
  EXPECT_EQ(c->font, 255);
  EXPECT_EQ(c->colour, 0xC0);
  EXPECT_EQ(c->text, 0u);
  EXPECT_EQ(c->dependents, 0u);
  EXPECT_EQ(c->row, 4);
  EXPECT_EQ(c->column, 4);
  EXPECT_EQ(CellNumber(c), 0);
  EXPECT_EQ(KindOf(0), kMissingKind);
  EXPECT_EQ(FormulaCellTemplate().kind, 1);
}

TEST_F(CellStoreTest, CellsOffTheGridAreRefusedWithOutOfRange) {
  struct Case { int line; uint32_t row; uint32_t column; };
  const Case kCases[] = {{__LINE__, 8192, 0}, {__LINE__, 0, 256}, {__LINE__, 0xFFFF, 0xFFFF}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ClearError();
    EXPECT_EQ(GetOrCreateCell(c.row, c.column), 0u);
    EXPECT_TRUE(ErrorRaised());
    EXPECT_EQ(ErrorText(), "Out of Range");
  }
  EXPECT_FALSE(SheetModified());
  EXPECT_EQ(PoolFreeBytes(), PoolCapacity());
}

TEST_F(CellStoreTest, ExtentGrowsWithCreationAndOnlyClearingResetsIt) {
  CellHandle last = GetOrCreateCell(8191, 255);
  ASSERT_NE(last, 0u);
  EXPECT_EQ(LastRow(), 8191);
  EXPECT_EQ(LastColumn(), 255);
  GetOrCreateCell(2, 3);
  UnlinkCell(last, FoundPredecessor(), 8191);
  FreeCellRecord(last);
  EXPECT_EQ(RowHead(8191), 0u);
  EXPECT_EQ(LastRow(), 8191);  // deleting does not shrink the extent
  EXPECT_EQ(LastColumn(), 255);
  ClearAllCells();
  EXPECT_EQ(LastRow(), 0);
  EXPECT_EQ(LastColumn(), 0);
  EXPECT_EQ(GetCell(2, 3), 0u);
  EXPECT_EQ(PoolFreeBytes(), PoolCapacity());
}

TEST_F(CellStoreTest, StoreNumberKeepsSmallWholeValuesAsIntegers) {
  struct Case { int line; double value; uint8_t kind; };
  const Case kCases[] = {
      {__LINE__, 12, 3},      {__LINE__, 12.5, 2},     {__LINE__, 40000, 2},
      {__LINE__, -32766, 3},  {__LINE__, 32766, 3},    {__LINE__, 32767, 2},
      {__LINE__, -32767, 2},  {__LINE__, 0, 3},        {__LINE__, -0.25, 2},
      {__LINE__, 1e300, 2},   {__LINE__, std::numeric_limits<double>::infinity(), 2},
  };
  CellRecord* c = CellAt(GetOrCreateCell(0, 0));
  for (const Case& k : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << k.line);
    StoreNumber(c, k.value);
    EXPECT_EQ(c->kind, k.kind);
    EXPECT_EQ(CellNumber(c), k.value);
    EXPECT_TRUE(KindIsNumeric(c->kind));
  }
  StoreNumber(c, std::nan(""));
  EXPECT_EQ(c->kind, 2);
  EXPECT_TRUE(std::isnan(CellNumber(c)));
}

TEST_F(CellStoreTest, StoreNumberOverAStringFormulaReleasesItsResult) {
  CellRecord* c = CellAt(GetOrCreateCell(0, 0));
  const int64_t before = PoolFreeBytes();
  PoolHandle result = PoolAlloc(6);
  PoolPtr(result)[0] = 5;
  c->kind = uint8_t(CellKind::kStringFormula);
  SetCellStringResult(c, result);
  StoreNumber(c, 7);
  EXPECT_EQ(PoolFreeBytes(), before);
  ExpectSound();
}

TEST_F(CellStoreTest, KindPredicatesLookAtTheLowFourBits) {
  struct Case { int line; uint8_t kind; bool formula; bool numeric; bool string; bool label; };
  const Case kCases[] = {
      {__LINE__, 0, true, false, true, false},   {__LINE__, 1, true, true, false, false},
      {__LINE__, 2, false, true, false, false},  {__LINE__, 3, false, true, false, false},
      {__LINE__, 4, false, false, true, true},   {__LINE__, 5, false, false, false, false},
      {__LINE__, 9, false, false, false, false},  // a formula with the error mark
      {__LINE__, 0x61, true, true, false, false},  // recalculation marks are ignored
      {__LINE__, kMissingKind, false, false, false, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    EXPECT_EQ(KindIsFormula(c.kind), c.formula);
    EXPECT_EQ(KindIsNumeric(c.kind), c.numeric);
    EXPECT_EQ(KindHasString(c.kind), c.string);
    EXPECT_EQ(KindIsLabel(c.kind), c.label);
  }
}

TEST_F(CellStoreTest, SetCellTextReusesTheBlockOnlyForTheSameLength) {
  CellRecord* c = CellAt(GetOrCreateCell(1, 1));
  const int64_t empty = PoolFreeBytes();
  ASSERT_TRUE(SetCellText(c, "'abc"));
  PoolHandle first = c->text;
  ASSERT_TRUE(SetCellText(c, "'xyz"));
  EXPECT_EQ(c->text, first);
  EXPECT_EQ(PoolText(c->text), "'xyz");
  ASSERT_TRUE(SetCellText(c, std::string(300, 'q')));
  EXPECT_EQ(PoolText(c->text), std::string(240, 'q'));
  EXPECT_EQ(PoolFreeBytes(), empty - PoolRoundedSize(241));

  PoolFailAfter(0);
  EXPECT_FALSE(SetCellText(c, "'short"));
  EXPECT_EQ(PoolText(c->text), std::string(240, 'q'));  // the old text is kept
  PoolFailAfter(-1);
  FreeCellText(c);
  EXPECT_EQ(PoolFreeBytes(), empty);
  ExpectSound();
}

TEST_F(CellStoreTest, FreeingARecordReleasesTextResultAndDependencyNodes) {
  const int64_t empty = PoolFreeBytes();
  CellHandle h = GetOrCreateCell(0, 0);
  CellRecord* c = CellAt(h);
  ASSERT_TRUE(SetCellText(c, "code"));
  c->kind = uint8_t(CellKind::kStringFormula);
  PoolHandle result = PoolAlloc(4);
  PoolPtr(result)[0] = 3;
  SetCellStringResult(c, result);
  PoolHandle chain = 0;
  for (int i = 0; i < 3; ++i) {  // nodes: dependent cell, next node
    PoolHandle node = PoolAlloc(8);
    std::memcpy(PoolPtr(node), &h, 4);
    std::memcpy(PoolPtr(node) + 4, &chain, 4);
    chain = node;
  }
  c->dependents = chain;
  UnlinkCell(h, 0, 0);
  EXPECT_EQ(RowHead(0), 0u);
  FreeCellRecord(h);
  EXPECT_EQ(PoolFreeBytes(), empty);
  ExpectSound();
}

TEST_F(CellStoreTest, UnlinkKeepsTheRestOfTheRow) {
  for (uint32_t column : {1u, 2u, 3u}) GetOrCreateCell(6, column);
  CellHandle middle = GetCell(6, 2);
  UnlinkCell(middle, FoundPredecessor(), 6);
  FreeCellRecord(middle);
  EXPECT_EQ(DumpRowChain(6), "row 6: 1 3");
  CellHandle head = GetCell(6, 1);
  EXPECT_EQ(FoundPredecessor(), 0u);
  UnlinkCell(head, 0, 6);
  FreeCellRecord(head);
  EXPECT_EQ(DumpRowChain(6), "row 6: 3");
  ExpectSound();
}

// Filling rows column after column (as files written by column do), then reaching and removing
// cells in every order, keeps the chains and the row fingers sound and finds what is there.
TEST_F(CellStoreTest, ColumnOrderFillingAndRemovalKeepChainsAndFingersSound) {
  constexpr uint32_t kRows = 40, kColumns = 12;
  for (uint32_t column = 0; column < kColumns; ++column) {
    for (uint32_t row = 0; row < kRows; ++row) ASSERT_NE(GetOrCreateCell(row, column), 0u);
  }
  EXPECT_EQ(DumpRowChain(7), "row 7: 0 1 2 3 4 5 6 7 8 9 10 11");
  ExpectSound();
  // Remove every third cell of each row walking right to left, then every second left to right:
  // each removal may take away the cell a finger rests on.
  for (uint32_t row = 0; row < kRows; ++row) {
    for (int column = int(kColumns) - 1; column >= 0; column -= 3) {
      const CellHandle h = GetCell(row, uint32_t(column));
      ASSERT_NE(h, 0u);
      UnlinkCell(h, FoundPredecessor(), row);
      FreeCellRecord(h);
    }
    for (uint32_t column = 0; column < kColumns; column += 2) {
      const CellHandle h = GetCell(row, column);
      if (!h) continue;
      UnlinkCell(h, FoundPredecessor(), row);
      FreeCellRecord(h);
    }
    ExpectSound();
  }
  EXPECT_EQ(DumpRowChain(7), "row 7: 1 3 7 9");
  // Cells created again in descending order land in their places.
  for (uint32_t column : {10u, 8u, 6u, 4u, 2u, 0u, 11u}) ASSERT_NE(GetOrCreateCell(7, column), 0u);
  EXPECT_EQ(DumpRowChain(7), "row 7: 0 1 2 3 4 6 7 8 9 10 11");
  ExpectSound();
  ClearAllCells();
  EXPECT_EQ(PoolFreeBytes(), PoolCapacity());
  ExpectSound();
}

TEST_F(CellStoreTest, WithoutACurrentSheetNothingIsFoundOrCreated) {
  CurrentSheet().rowTable = nullptr;
  EXPECT_EQ(GetOrCreateCell(1, 1), 0u);
  EXPECT_EQ(GetCell(1, 1), 0u);
  EXPECT_EQ(RowHead(1), 0u);
  SetRowHead(1, 1234);
  ClearAllCells();
  SaveUndo();
  EXPECT_FALSE(HasUndo());
  EXPECT_FALSE(RestoreUndo());
  EXPECT_EQ(PoolFreeBytes(), PoolCapacity());
}

TEST_F(CellStoreTest, ExhaustedPoolGivesNoCellAndLeavesChainsSound) {
  ResetCore(/*maxPages=*/2);
  int created = 0;
  for (uint32_t row = 0; row < 8192; ++row) {
    if (!GetOrCreateCell(row % 64, row / 64)) break;
    ++created;
  }
  EXPECT_TRUE(PoolOutOfMemory());
  EXPECT_GT(created, 200);
  EXPECT_EQ(PoolFreeBytes(), PoolCapacity() - created * 36);  // 36 bytes per record
  ExpectSound();
  ClearAllCells();
  EXPECT_EQ(PoolFreeBytes(), PoolCapacity());
}

TEST_F(CellStoreTest, ClearingReachesCellsBeyondAnExtentSetFromAFile) {
  GetOrCreateCell(100, 10);
  SetExtent(5, 5);
  ClearAllCells();
  EXPECT_EQ(GetCell(100, 10), 0u);
  EXPECT_EQ(PoolFreeBytes(), PoolCapacity());
}

}  // namespace
