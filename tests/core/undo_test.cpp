// tests/core/undo_test.cpp — the undo journal: every kind of change, many levels, Redo, the
// budget, formula hooks and the switch.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "core/cell_store.h"
#include "core/global_options.h"
#include "core/names.h"
#include "core_fixture.h"
#include "engine_test_layers.h"

namespace {

// A readable picture of the sheet: every cell with its attributes, kind, value and text, the
// widths and heights that differ from the default, the names, the options and the extent.
std::string DumpSheet() {
  std::ostringstream out;
  for (int row = 0; row < kRowCount; ++row) {
    for (CellHandle h = RowHead(row); h; h = CellAt(h)->next) {
      const CellRecord* c = CellAt(h);
      out << row << "," << int(c->column) << " attr";
      const uint8_t* a = &c->font;
      for (size_t i = 0; i < kCellAttributeSize; ++i) out << " " << int(a[i]);
      out << " kind " << int(c->kind);
      const uint8_t low = c->kind & kKindMask;
      if (low == 2 || low == 3) out << " value " << CellNumber(c);
      if (low == 0) out << " result '" << PoolText(CellStringResult(c)) << "'";
      out << " text '" << PoolText(c->text) << "'\n";
    }
  }
  const SheetLayout& layout = CurrentLayout();
  for (int column = 0; column < kColumnCount; ++column) {
    if (layout.columnWidth[column] != layout.defaultWidth) {
      out << "width " << column << " " << layout.columnWidth[column] << "\n";
    }
  }
  for (int row = 0; row < kRowCount; ++row) {
    if (layout.rowHeight[row] != layout.defaultHeight) {
      out << "height " << row << " " << layout.rowHeight[row] << "\n";
    }
  }
  for (int i = 1; i <= NameCount(); ++i) {
    out << "name " << NameAt(i) << " " << RangeText(NameRange(i)) << "\n";
  }
  GlobalOptions options = Options();
  options.setModified(false);
  uint32_t sum = 0;
  for (uint8_t b : options.bytes) sum = sum * 31 + b;
  out << "options " << sum << " extent " << LastRow() << "," << LastColumn() << "\n";
  return out.str();
}

class UndoTest : public CoreTest {
 protected:
  // The cells of these tests carry made-up formula code: the stand-in layers pass it through
  // unchanged and neither link nor recalculate.
  void SetUp() override {
    CoreTest::SetUp();
    UseStandIns();
  }
  // A fresh engine with the stand-ins and an empty name table.
  void Restart() {
    ResetCore();
    UseStandIns();
  }
  void UseStandIns() {
    InitNameTable();
    TestEngineLayers& layers = TestLayers();
    layers.codeToFileForm = [](const uint8_t* code, uint16_t, uint16_t, uint8_t* out) {
      std::memcpy(out, code, code[0] + 1u);
      return true;
    };
    layers.codeToCellForm = [](uint8_t*, uint16_t, uint16_t) { return true; };
    layers.linkFormula = [](PoolHandle) {};
    layers.unlinkFormula = [](PoolHandle) {};
    layers.recalculate = [] {};
    layers.recalculateCells = [](const PoolHandle*, size_t) {};
  }

  // A cell of each kind, with attributes that differ from the template; made before any group
  // is open, so none of it is undoable.
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
    const PoolHandle result = PoolAlloc(4);
    std::memcpy(PoolPtr(result), "\x03" "abc", 4);
    SetCellStringResult(c, result);
    c = CellAt(GetOrCreateCell(8191, 255));
    c->borders = 0xAA;  // a blank that only carries attributes
    c = CellAt(GetOrCreateCell(7, 7));
    c->kind = uint8_t(CellKind::kError6);
    layout_->columnWidth[3] = 120;
    layout_->rowHeight[0] = 30;
    DefineName("KEEP", MakeRange(0, 0, 1, 1));
  }

  static CellRecord* Cell(uint32_t row, uint32_t column) {
    const CellHandle h = GetCell(row, column);
    return h ? CellAt(h) : nullptr;
  }
};

// Takes a cell away in the open group.
void Erase(uint32_t row, uint32_t column) {
  const CellHandle h = GetCell(row, column);
  NoteCellChange(h);
  UnlinkCell(h, FoundPredecessor(), row);
  FreeCellRecord(h);
}

struct SheetChange {
  int line;
  const char* what;
  std::function<void()> apply;
};

// Every kind of change that exists, each as one user action.
std::vector<SheetChange> EveryChange() {
  return {
      {__LINE__, "a number into an empty position",
       [] { StoreNumber(CellAt(GetOrCreateCell(20, 4)), 40000); }},
      {__LINE__, "a number over a number",
       [] {
         CellRecord* c = CellAt(GetCell(0, 0));
         NoteCellChange(GetCell(0, 0));
         StoreNumber(c, -7.25);
       }},
      {__LINE__, "a label over a formula",
       [] {
         const CellHandle h = GetCell(5, 2);
         NoteCellChange(h);
         SetCellText(CellAt(h), "^centred");
         CellAt(h)->kind = uint8_t(CellKind::kLabel);
       }},
      {__LINE__, "a formula over a label",
       [] {
         const CellHandle h = GetCell(5, 1);
         NoteCellChange(h);
         SetCellText(CellAt(h), "\x02\x01\x03");
         SetCellDouble(CellAt(h), 3);
         CellAt(h)->kind = uint8_t(CellKind::kFormula);
       }},
      {__LINE__, "a number over a string formula",
       [] {
         const CellHandle h = GetCell(5, 200);
         NoteCellChange(h);
         FreeCellText(CellAt(h));
         StoreNumber(CellAt(h), 1);
       }},
      {__LINE__, "a format over a range, creating blanks",
       [] {
         for (uint32_t row = 0; row < 3; ++row) {
           for (uint32_t column = 0; column < 4; ++column) {
             const CellHandle existing = GetCell(row, column);
             NoteCellChange(existing);
             CellRecord* c = CellAt(existing ? existing : GetOrCreateCell(row, column));
             c->format = uint8_t((c->format & 0x80) | 0x22);
           }
         }
       }},
      {__LINE__, "a lock",
       [] {
         NoteCellChange(GetCell(0, 3));
         CellAt(GetCell(0, 3))->format &= 0x7F;
       }},
      {__LINE__, "a colour and a border",
       [] {
         NoteCellChange(GetCell(8191, 255));
         CellAt(GetCell(8191, 255))->colour = 0x05;
         CellAt(GetCell(8191, 255))->borders = 0x01;
       }},
      {__LINE__, "a column width",
       [] {
         NoteColumnWidth(3);
         CurrentLayout().columnWidth[3] = 16;
         NoteColumnWidth(3);
         CurrentLayout().columnWidth[3] = 24;
       }},
      {__LINE__, "a row height",
       [] {
         NoteRowHeight(8000);
         CurrentLayout().rowHeight[8000] = 40;
       }},
      {__LINE__, "names defined and deleted",
       [] {
         DefineName("TOTAL", MakeRange(1, 1, 4, 9));
         DeleteName("KEEP");
       }},
      {__LINE__, "options",
       [] {
         NoteOptions();
         Options().setGlobalFormat(0x02);
         Options().setZeroSuppressed(true);
       }},
      {__LINE__, "a whole-sheet change: cells changed, removed and made without notes",
       [] {
         NoteWholeSheet();
         StoreNumber(CellAt(GetCell(0, 0)), 1);
         const CellHandle h = GetCell(5, 1);
         UnlinkCell(h, FoundPredecessor(), 5);
         FreeCellRecord(h);
         StoreNumber(CellAt(GetOrCreateCell(9, 9)), 3);
         DeleteName("KEEP");
       }},
      {__LINE__, "an erase of cells",
       [] {
         Erase(0, 3);
         Erase(5, 200);
         Erase(7, 7);
       }},
  };
}

// Each change alone: Undo gives the sheet before it, Redo the sheet after it, again and again.
TEST_F(UndoTest, EveryKindOfChangeGoesBackAndForth) {
  for (const SheetChange& change : EveryChange()) {
    SCOPED_TRACE(testing::Message() << change.what << " at line " << change.line);
    Restart();
    FillSheet();
    const std::string before = DumpSheet();
    SaveUndo();
    change.apply();
    EndUndoGroup();
    const std::string after = DumpSheet();
    ASSERT_NE(after, before);
    for (int round = 0; round < 2; ++round) {
      ASSERT_TRUE(RestoreUndo());
      EXPECT_EQ(DumpSheet(), before);
      EXPECT_FALSE(HasUndo());
      ASSERT_TRUE(RestoreRedo());
      EXPECT_EQ(DumpSheet(), after);
      EXPECT_FALSE(HasRedo());
      ExpectSound();
    }
    EXPECT_FALSE(RestoreRedo());
    EXPECT_TRUE(TheHeadlessPlatform().messages.empty());
  }
}

// All changes one after the other, then undone to the start and redone to the end.
TEST_F(UndoTest, ManyLevelsUndoAndRedoInOrder) {
  FillSheet();
  std::vector<std::string> states{DumpSheet()};
  for (const SheetChange& change : EveryChange()) {
    SaveUndo();
    change.apply();
    states.push_back(DumpSheet());
  }
  EXPECT_EQ(UndoLevels(), int(states.size()) - 1);
  for (size_t i = states.size() - 1; i-- > 0;) {
    ASSERT_TRUE(RestoreUndo()) << i;
    EXPECT_EQ(DumpSheet(), states[i]) << "undone to level " << i;
  }
  EXPECT_FALSE(RestoreUndo());
  for (size_t i = 1; i < states.size(); ++i) {
    ASSERT_TRUE(RestoreRedo()) << i;
    EXPECT_EQ(DumpSheet(), states[i]) << "redone to level " << i;
  }
  EXPECT_FALSE(RestoreRedo());
  ExpectSound();
}

TEST_F(UndoTest, ANewChangeClearsRedoAndAnEmptyActionDoesNot) {
  FillSheet();
  SaveUndo();
  StoreNumber(CellAt(GetOrCreateCell(1, 1)), 1);
  SaveUndo();
  StoreNumber(CellAt(GetOrCreateCell(1, 2)), 2);
  ASSERT_TRUE(RestoreUndo());
  EXPECT_TRUE(HasRedo());
  SaveUndo();  // an action that changes nothing
  EndUndoGroup();
  EXPECT_TRUE(HasRedo());
  EXPECT_EQ(UndoLevels(), 1);
  SaveUndo();
  NoteColumnWidth(9);
  CurrentLayout().columnWidth[9] = 8;
  EXPECT_FALSE(HasRedo());
  EXPECT_FALSE(RestoreRedo());
  ASSERT_TRUE(RestoreUndo());
  EXPECT_EQ(CurrentLayout().columnWidth[9], kDefaultColumnWidth);
  ASSERT_TRUE(RestoreUndo());
  EXPECT_EQ(GetCell(1, 1), 0u);
}

// The budget drops the oldest groups first; one action larger than the whole budget leaves no
// Undo at all, with the message, and the action itself stands.
TEST_F(UndoTest, TheBudgetDropsTheOldestGroupsFirst) {
  SetUndoBudget(4000);
  for (uint32_t i = 0; i < 60; ++i) {
    SaveUndo();
    StoreNumber(CellAt(GetOrCreateCell(i, 0)), i + 0.5);
  }
  EndUndoGroup();
  EXPECT_LE(UndoJournalBytes(), 4000u);
  const int levels = UndoLevels();
  EXPECT_GT(levels, 5);
  EXPECT_LT(levels, 60);
  for (int i = 0; i < levels; ++i) ASSERT_TRUE(RestoreUndo());
  EXPECT_FALSE(RestoreUndo());
  EXPECT_EQ(GetCell(59 - levels, 0) != 0, true);  // the oldest changes stay
  EXPECT_EQ(GetCell(60 - levels, 0), 0u);
  EXPECT_TRUE(TheHeadlessPlatform().messages.empty());

  SaveUndo();
  for (uint32_t row = 100; row < 110; ++row) {
    for (uint32_t column = 0; column < 200; ++column) {
      StoreNumber(CellAt(GetOrCreateCell(row, column)), column);
    }
  }
  EndUndoGroup();
  EXPECT_EQ(TheHeadlessPlatform().log,
            (std::vector<std::string>{"beep", "message Error:: Out of UNDO memory!"}));
  EXPECT_FALSE(HasUndo());
  EXPECT_FALSE(HasRedo());
  EXPECT_NE(GetCell(109, 199), 0u);
  ExpectSound();
}

struct HookLog {
  std::vector<std::string> calls;
};
HookLog* hookLog = nullptr;

// Formula code is kept in file form in the journal and put back in cell form, then relinked and
// recalculated from the restored cells.
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
  TestLayers().unlinkFormula = [](PoolHandle cell) {
    hookLog->calls.push_back("unlink " + std::to_string(CellAt(cell)->column));
  };
  TestLayers().recalculateCells = [](const PoolHandle*, size_t count) {
    hookLog->calls.push_back("recalculate " + std::to_string(count));
  };

  FillSheet();
  const std::string before = DumpSheet();
  SaveUndo();
  NoteCellChange(GetCell(5, 2));
  NoteCellChange(GetCell(5, 200));
  EXPECT_EQ(log.calls, (std::vector<std::string>{"file 5,2", "file 5,200"}));
  for (CellRecord* c : {Cell(5, 2), Cell(5, 200)}) {
    FreeCellText(c);
    StoreNumber(c, c->column == 2 ? 1 : 2);
  }
  EndUndoGroup();

  log.calls.clear();
  ASSERT_TRUE(RestoreUndo());
  EXPECT_EQ(DumpSheet(), before);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"cell 5,2", "cell 5,200", "link 2", "link 200",
                                                 "recalculate 2"}));
  log.calls.clear();
  ASSERT_TRUE(RestoreRedo());
  EXPECT_EQ(log.calls, (std::vector<std::string>{"file 5,2", "file 5,200", "unlink 2",
                                                 "unlink 200", "recalculate 2"}));
  EXPECT_EQ(CellNumber(Cell(5, 2)), 1);
  // In manual mode the restored formulas keep their recorded values and nothing is computed.
  Options().setManualRecalc(true);
  log.calls.clear();
  ASSERT_TRUE(RestoreUndo());
  EXPECT_EQ(CellDouble(Cell(5, 2)), 99);
  EXPECT_EQ(PoolText(CellStringResult(Cell(5, 200))), "abc");
  EXPECT_EQ(log.calls.back(), "link 200");
  hookLog = nullptr;
}

TEST_F(UndoTest, CodeThatCannotBeConvertedLeavesNoUndo) {
  TestLayers().codeToFileForm = [](const uint8_t*, uint16_t, uint16_t, uint8_t*) { return false; };
  FillSheet();
  SaveUndo();
  StoreNumber(CellAt(GetOrCreateCell(1, 1)), 1);
  EndUndoGroup();
  SaveUndo();
  NoteCellChange(GetCell(5, 2));
  StoreNumber(Cell(5, 2), 1);
  EndUndoGroup();
  EXPECT_FALSE(HasUndo());
  EXPECT_TRUE(TheHeadlessPlatform().messages.empty());
}

// State outside the cells (here a stand-in for a remembered range list) goes back and forth
// with the cells of its group; it is captured once per group and key.
TEST_F(UndoTest, NotedSheetStateComesBackWithItsGroup) {
  static std::vector<std::string> ranges;
  static int captures = 0;
  ranges = {"A1..B2"};
  captures = 0;
  const auto note = [] {
    NoteSheetState(&ranges, 16, [] {
      ++captures;
      std::vector<std::string> kept = ranges;
      return UndoRestore([kept] { ranges = kept; });
    });
  };
  SaveUndo();
  note();
  ranges.push_back("C3");
  note();
  ranges[0] = "A2..B3";
  StoreNumber(CellAt(GetOrCreateCell(0, 0)), 1);
  EndUndoGroup();
  EXPECT_EQ(captures, 1);
  ASSERT_TRUE(RestoreUndo());
  EXPECT_EQ(ranges, (std::vector<std::string>{"A1..B2"}));
  EXPECT_EQ(GetCell(0, 0), 0u);
  ASSERT_TRUE(RestoreRedo());
  EXPECT_EQ(ranges, (std::vector<std::string>{"A2..B3", "C3"}));
  EXPECT_NE(GetCell(0, 0), 0u);
  // A group that only notes state is a group of its own.
  SaveUndo();
  note();
  ranges.clear();
  EndUndoGroup();
  EXPECT_EQ(UndoLevels(), 2);
  ASSERT_TRUE(RestoreUndo());
  EXPECT_EQ(ranges.size(), 2u);
  // Outside a group nothing is captured.
  const int before = captures;
  note();
  EXPECT_EQ(captures, before);
}

TEST_F(UndoTest, TheSwitchTurnsRecordingOffAndDropsTheJournal) {
  SaveUndo();
  StoreNumber(CellAt(GetOrCreateCell(1, 1)), 1);
  SaveUndo();
  ASSERT_TRUE(HasUndo());
  SetUndoEnabled(false);
  EXPECT_FALSE(HasUndo());
  SaveUndo();
  StoreNumber(CellAt(GetOrCreateCell(1, 2)), 2);
  EXPECT_FALSE(RestoreUndo());
  EXPECT_NE(GetCell(1, 2), 0u);
  EXPECT_FALSE(UndoEnabled());
}

// Undo of an entry into an empty sheet gives the empty sheet back, with its former extent.
TEST_F(UndoTest, UndoOfAnEntryIntoAnEmptySheetGivesTheEmptySheetBack) {
  const std::string empty = DumpSheet();
  const int64_t free = PoolFreeBytes();
  SaveUndo();
  StoreNumber(CellAt(GetOrCreateCell(40, 9)), 3);
  ASSERT_TRUE(RestoreUndo());
  EXPECT_EQ(DumpSheet(), empty);
  EXPECT_EQ(RowHead(40), 0u);
  EXPECT_EQ(PoolFreeBytes(), free);
}

// A cell that formulas still refer to is not freed when a group that created it is undone
// around them: it stays as a blank placeholder.
TEST_F(UndoTest, ACellWithDependentsStaysAsAPlaceholder) {
  SaveUndo();
  CellRecord* c = CellAt(GetOrCreateCell(3, 3));
  StoreNumber(c, 5);
  c->font = 7;
  c->dependents = PoolAlloc(8);
  const CellHandle dependent = GetOrCreateCell(9, 9);
  std::memcpy(PoolPtr(c->dependents), &dependent, 4);
  std::memset(PoolPtr(c->dependents) + 4, 0, 4);
  ASSERT_TRUE(RestoreUndo());
  ASSERT_NE(Cell(3, 3), nullptr);
  EXPECT_TRUE(IsPlainBlank(Cell(3, 3)));
  EXPECT_EQ(Cell(9, 9), nullptr);
  ExpectSound();
}

}  // namespace
