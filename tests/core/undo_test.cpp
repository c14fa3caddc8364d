// tests/core/undo_test.cpp — the Undo snapshot: round trips, formula code, memory failures.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "core/cell_store.h"
#include "engine_test_layers.h"
#include "core_fixture.h"

namespace {

// A readable picture of every cell of the sheet: position, attributes, kind, value and text.
std::string DumpSheet() {
  std::ostringstream out;
  for (int row = 0; row < kRowCount; ++row) {
    for (CellHandle h = RowHead(row); h; h = CellAt(h)->next) {
      const CellRecord* c = CellAt(h);
      out << row << "," << int(c->column) << " attr";
      const uint8_t* a = &c->font;
      for (size_t i = 0; i < kCellAttributeSize; ++i) out << " " << int(a[i]);
      out << " kind " << int(c->kind);
      uint8_t low = c->kind & kKindMask;
      if (low == 2 || low == 3) out << " value " << CellNumber(c);
      out << " text '" << PoolText(c->text) << "'\n";
    }
  }
  return out.str();
}

class UndoTest : public CoreTest {
 protected:
  // The cells of these tests carry made-up formula code: the stand-in layers pass it through
  // unchanged and neither link nor recalculate.
  void SetUp() override {
    CoreTest::SetUp();
    TestEngineLayers& layers = TestLayers();
    layers.codeToFileForm = [](const uint8_t* code, uint16_t, uint16_t, uint8_t* out) {
      std::memcpy(out, code, code[0] + 1u);
      return true;
    };
    layers.codeToCellForm = [](uint8_t*, uint16_t, uint16_t) { return true; };
    layers.linkFormula = [](PoolHandle) {};
    layers.recalculate = [] {};
  }
  // A cell of each kind, with attributes that differ from the template.
  void FillSheet() {
    CellRecord* c = CellAt(GetOrCreateCell(0, 0));
    StoreNumber(c, 12);
    c = CellAt(GetOrCreateCell(0, 3));
    StoreNumber(c, 2.5);
    c->font = 2;
    c->shade[1] = 0x80;
    c = CellAt(GetOrCreateCell(5, 1));
    SetCellText(c, "'label");
    c->kind = uint8_t(CellKind::kLabel);
    c->style = 0x13;
    c = CellAt(GetOrCreateCell(5, 2));
    SetCellText(c, "\x02\x01\x03");
    c->kind = uint8_t(CellKind::kFormula);
    SetCellDouble(c, 99);
    c = CellAt(GetOrCreateCell(5, 200));
    SetCellText(c, "\x05\x03");
    c->kind = uint8_t(CellKind::kStringFormula) | kKindErrorMark;
    c = CellAt(GetOrCreateCell(8191, 255));
    c->borders = 0xAA;  // a blank that only carries attributes
    c = CellAt(GetOrCreateCell(7, 7));
    c->kind = uint8_t(CellKind::kError6);
    layout_->columnWidth[3] = 120;
    layout_->rowHeight[0] = 30;
    layout_->rowHeight[8191] = 4;
  }
};

TEST_F(UndoTest, RestoreBringsBackEveryKindWithWidthsAndHeights) {
  FillSheet();
  const std::string before = DumpSheet();
  SaveUndo();
  ASSERT_TRUE(HasUndo());
  const int64_t withSnapshot = PoolFreeBytes();

  ClearAllCells();
  StoreNumber(CellAt(GetOrCreateCell(9, 9)), 1);
  layout_->columnWidth[3] = 10;
  layout_->rowHeight[0] = 1;
  layout_->rowHeight[8191] = 100;
  ExpectSound();

  ASSERT_TRUE(RestoreUndo());
  EXPECT_EQ(DumpSheet(), before);
  EXPECT_EQ(layout_->columnWidth[3], 120);
  EXPECT_EQ(layout_->rowHeight[0], 30);
  EXPECT_EQ(layout_->rowHeight[8191], 4);
  EXPECT_FALSE(HasUndo());
  for (int slot = kUndoSlot; slot < kRowTableSlots; ++slot) EXPECT_EQ(RowHead(slot), 0u);
  EXPECT_EQ(LastRow(), 8191);
  EXPECT_EQ(LastColumn(), 255);
  // The snapshot's memory is all returned.
  SaveUndo();
  EXPECT_EQ(PoolFreeBytes(), withSnapshot);
  DropUndo();
  ClearAllCells();
  EXPECT_EQ(PoolFreeBytes(), PoolCapacity());
  ExpectSound();
}

TEST_F(UndoTest, UndoOfAnEntryIntoAnEmptySheetGivesTheEmptySheetBack) {
  layout_->columnWidth[0] = 200;
  SaveUndo();
  StoreNumber(CellAt(GetOrCreateCell(0, 0)), 5);
  layout_->columnWidth[0] = 50;
  ASSERT_TRUE(RestoreUndo());
  EXPECT_EQ(DumpSheet(), "");
  EXPECT_EQ(layout_->columnWidth[0], 200);
  EXPECT_EQ(PoolFreeBytes(), PoolCapacity());
  EXPECT_FALSE(RestoreUndo());  // single level
}

TEST_F(UndoTest, CellsOutsideTheFileUsedAreaSurviveUndo) {
  SetFirstUsed(10, 10);
  StoreNumber(CellAt(GetOrCreateCell(0, 0)), 1);
  StoreNumber(CellAt(GetOrCreateCell(20, 20)), 2);
  SetExtent(15, 15);
  const std::string before = DumpSheet();
  SaveUndo();
  ASSERT_TRUE(RestoreUndo());
  EXPECT_EQ(DumpSheet(), before);
}

struct HookLog {
  std::vector<std::string> calls;
};
HookLog* hookLog = nullptr;

TEST_F(UndoTest, FormulaCodeTravelsInFileFormAndIsRelinked) {
  HookLog log;
  hookLog = &log;
  // File form: every code byte + 1; cell form: - 1.
  TestLayers().codeToFileForm = [](const uint8_t* code, uint16_t row, uint16_t column, uint8_t* out) {
    hookLog->calls.push_back("file " + std::to_string(row) + "," + std::to_string(column));
    out[0] = code[0];
    for (int i = 1; i <= code[0]; ++i) out[i] = uint8_t(code[i] + 1);
    return true;
  };
  TestLayers().codeToCellForm = [](uint8_t* code, uint16_t row, uint16_t column) {
    hookLog->calls.push_back("cell " + std::to_string(row) + "," + std::to_string(column));
    for (int i = 1; i <= code[0]; ++i) code[i] = uint8_t(code[i] - 1);
    return true;
  };
  TestLayers().linkFormula = [](PoolHandle cell) {
    hookLog->calls.push_back("link " + std::to_string(CellAt(cell)->column));
  };
  TestLayers().recalculate = [] { hookLog->calls.push_back("recalculate"); };

  FillSheet();
  const std::string before = DumpSheet();
  SaveUndo();
  EXPECT_EQ(log.calls, (std::vector<std::string>{"file 5,2", "file 5,200"}));
  // The snapshot holds the file form.
  PoolHandle node = RowHead(kUndoSlot);
  for (int i = 0; i < 3; ++i) std::memcpy(&node, PoolPtr(node), 4);  // 0,0 0,3 5,1 then 5,2
  const uint8_t* payload = PoolPtr(node) + 17;
  EXPECT_EQ(std::vector<uint8_t>(payload, payload + 4), (std::vector<uint8_t>{3, 3, 2, 4}));

  log.calls.clear();
  ASSERT_TRUE(RestoreUndo());
  EXPECT_EQ(DumpSheet(), before);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"cell 5,2", "link 2", "cell 5,200", "link 200",
                                                 "recalculate"}));
  hookLog = nullptr;
}

TEST_F(UndoTest, CodeThatCannotBeConvertedLeavesNoSnapshot) {
  TestLayers().codeToFileForm = [](const uint8_t*, uint16_t, uint16_t, uint8_t*) { return false; };
  FillSheet();
  SaveUndo();
  EXPECT_FALSE(HasUndo());
  EXPECT_TRUE(TheHeadlessPlatform().messages.empty());
  DropUndo();
  ClearAllCells();
  EXPECT_EQ(PoolFreeBytes(), PoolCapacity());
}

TEST_F(UndoTest, DisabledUndoKeepsNoSnapshot) {
  FillSheet();
  SaveUndo();
  ASSERT_TRUE(HasUndo());
  SetUndoEnabled(false);
  SaveUndo();  // drops the old one as well
  EXPECT_FALSE(HasUndo());
  EXPECT_FALSE(RestoreUndo());
  EXPECT_TRUE(UndoEnabled() == false);
}

TEST_F(UndoTest, EveryOutOfMemoryPointGivesTheMessageAndNoSnapshot) {
  FillSheet();
  const std::string before = DumpSheet();
  const int64_t filled = PoolFreeBytes();
  // 5 layout blocks and one node per cell: walk each failure point and one past the end.
  for (int n = 0; n <= 12; ++n) {
    SCOPED_TRACE(n);
    TheHeadlessPlatform().Reset();
    PoolFailAfter(n);
    SaveUndo();
    PoolFailAfter(-1);
    const bool complete = n >= 12;
    EXPECT_EQ(HasUndo(), complete);
    if (complete) {
      EXPECT_TRUE(TheHeadlessPlatform().messages.empty());
    } else {
      EXPECT_EQ(TheHeadlessPlatform().log,
                (std::vector<std::string>{"beep", "message Error:: Out of UNDO memory!"}));
      EXPECT_EQ(PoolFreeBytes(), filled);
      EXPECT_FALSE(PoolOutOfMemory());
    }
    EXPECT_EQ(DumpSheet(), before);
    ExpectSound();
  }
  ASSERT_TRUE(RestoreUndo());
  EXPECT_EQ(DumpSheet(), before);
}

TEST_F(UndoTest, RepeatedSnapshotsReplaceEachOther) {
  FillSheet();
  SaveUndo();
  const int64_t once = PoolFreeBytes();
  for (int i = 0; i < 20; ++i) SaveUndo();
  EXPECT_EQ(PoolFreeBytes(), once);
  ExpectSound();
}

}  // namespace
