// tests/commands/block_commands_test.cpp — copy, move, special copies, erase, insert and delete.
#include "commands/block_commands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "commands/engine_start.h"
#include "commands/fill.h"
#include "commands/find_replace.h"
#include "commands/labels.h"
#include "commands/sort.h"
#include "commands/worksheet_files.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/graph_definition.h"
#include "core/names.h"
#include "core/pool.h"
#include "core/sheet_layout.h"
#include "core/worksheets.h"
#include "files/worksheet_file.h"
#include "formula/recalc.h"
#include "platform/headless/headless_platform.h"

namespace {

class BlockCommandsTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetEngineState();
    ASSERT_NE(NewWorksheet("SHEET1.WKS"), 0);
  }
  void TearDown() override { ResetEngineState(); }

  static CellRange R(const char* text) { return ParseRange(text); }
  static void Enter(const char* ref, const char* text) {
    const ParsedCell p = ParseCellRef(ref);
    ASSERT_TRUE(EnterIntoCell(p.row, p.column, text).Done()) << ref << " " << text;
  }
  // The cell as the entry line shows it ("" for no cell or a blank).
  static std::string Text(const char* ref) {
    const ParsedCell p = ParseCellRef(ref);
    return EditText(p.row, p.column).text;
  }
  static const CellRecord* Cell(const char* ref) {
    const ParsedCell p = ParseCellRef(ref);
    const CellHandle h = GetCell(p.row, p.column);
    return h ? CellAt(h) : nullptr;
  }
  static double Value(const char* ref) {
    const CellRecord* c = Cell(ref);
    return c ? CellNumber(c) : -12345;
  }
  static bool IsErr(const char* ref) {
    const CellRecord* c = Cell(ref);
    return c && (c->kind & kKindErrorMark);
  }
  static std::vector<std::string>& Messages() { return TheHeadlessPlatform().messages; }
  // Pool, row chains and dependency lists intact.
  static void ExpectIntact() {
    std::string why;
    EXPECT_TRUE(CheckPoolIntegrity(&why)) << why;
    EXPECT_TRUE(CheckRowChains(&why)) << why;
    EXPECT_TRUE(CheckDependencyLinks(&why)) << why;
  }
  static std::string Name(const char* name) {
    const int i = LookupName(name);
    return i > 0 ? RangeText(NameRange(i)) : "<none>";
  }
  static std::string Texts(const std::vector<const char*>& refs) {
    std::string out;
    for (const char* r : refs) out += std::string(out.empty() ? "" : "|") + Text(r);
    return out;
  }
};

TEST_F(BlockCommandsTest, DestinationShapesOfCopyAndMove) {
  struct Case {
    int line;
    bool move;
    const char* source;
    const char* destination;
    std::vector<const char*> filled;
    std::vector<const char*> empty;
  };
  const Case kCases[] = {
      {__LINE__, false, "A1..A3", "C1..E1", {"C1", "C3", "D2", "E3"}, {"F1", "C4"}},
      {__LINE__, true, "A1..A3", "C1..E1", {"C1", "C2", "C3"}, {"D1", "E3", "A1"}},
      {__LINE__, false, "A1", "C2..D3", {"C2", "C3", "D2", "D3"}, {"E2", "C4"}},
      {__LINE__, false, "A1..B1", "D5..D7", {"D5", "E5", "D7", "E7"}, {"F5", "D8"}},
      {__LINE__, false, "A1..B3", "D5..F9", {"D5", "E7"}, {"F5", "D8"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ResetEngineState();
    NewWorksheet("SHAPE.WKS");
    for (const char* ref : {"A1", "A2", "A3", "B1", "B2", "B3"}) Enter(ref, "5");
    ASSERT_TRUE(CopyMove(c.move, R(c.source), R(c.destination)).Done());
    for (const char* ref : c.filled) EXPECT_EQ(Text(ref), "5") << ref;
    for (const char* ref : c.empty) EXPECT_EQ(Text(ref), "") << ref;
    ExpectIntact();
  }
}

TEST_F(BlockCommandsTest, CopiedReferencesMoveByTheOffsetAndErrOffTheSheet) {
  struct Case {
    int line;
    const char* at;
    const char* formula;
    const char* to;
    const char* expected;
  };
  const Case kCases[] = {
      {__LINE__, "B2", "+A1", "B3", "+A2"},
      {__LINE__, "B2", "+$A$1", "C9", "+$A$1"},
      {__LINE__, "B2", "+$A1+A$1", "C4", "+$A3+B$1"},
      {__LINE__, "B2", "@SUM(A1..A3)", "D2", "@SUM(C1..C3)"},
      {__LINE__, "B2", "+A1", "A2", "+ERR"},      // left of column A
      {__LINE__, "B2", "+A1", "B1", "+ERR"},      // above row 1: no wrap to the sheet's end
      {__LINE__, "B2", "+C3", "B8192", "+ERR"},   // below row 8192
      {__LINE__, "B2", "+C3", "IV2", "+ERR"},     // past column IV
      {__LINE__, "B2", "@SUM(A1..A3)", "B1", "@SUM(ERR..A2)"},  // a corner off: ERR
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ResetEngineState();
    NewWorksheet("REFS.WKS");
    Enter("A1", "1");
    Enter("A2", "2");
    Enter(c.at, c.formula);
    ASSERT_TRUE(CopyMove(false, R(c.at), R(c.to)).Done());
    EXPECT_EQ(Text(c.to), c.expected);
    if (std::string(c.expected).find("ERR") != std::string::npos) {
      EXPECT_TRUE(IsErr(c.to));
    }
    ExpectIntact();
  }
}

TEST_F(BlockCommandsTest, OverlappingCopiesReadTheSourceAsItWas) {
  // A 3 x 3 block of numbers and formulas reading inside the block, copied one step in each
  // direction, gives the same values as a copy to an empty place.
  struct Case {
    int line;
    const char* destination;
    int rowOffset, columnOffset;
  };
  const Case kCases[] = {
      {__LINE__, "C4", 1, 0}, {__LINE__, "C2", -1, 0}, {__LINE__, "D3", 0, 1},
      {__LINE__, "B3", 0, -1}, {__LINE__, "D4", 1, 1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ResetEngineState();
    NewWorksheet("OVER.WKS");
    Enter("C3", "1"); Enter("D3", "2"); Enter("E3", "3");
    Enter("C4", "+C3*10"); Enter("D4", "+D3+C4"); Enter("E4", "4");
    Enter("C5", "+C4+1"); Enter("D5", "'x"); Enter("E5", "+E4*E3");
    ASSERT_TRUE(CopyMove(false, R("C3..E5"), R(c.destination)).Done());
    const double expected[3][3] = {{1, 2, 3}, {10, 12, 4}, {11, 0, 12}};
    for (int row = 0; row < 3; ++row) {
      for (int column = 0; column < 3; ++column) {
        const CellHandle h = GetCell(2 + row + c.rowOffset, 2 + column + c.columnOffset);
        ASSERT_NE(h, 0u);
        EXPECT_EQ(CellNumber(CellAt(h)), expected[row][column]) << row << "," << column;
      }
    }
    ExpectIntact();
  }
}

TEST_F(BlockCommandsTest, SeveralAnchorsOverTheSourceAllGetTheOriginalRow) {
  Enter("A1", "1");
  Enter("B1", "2");
  Enter("C1", "3");
  ASSERT_TRUE(CopyMove(false, R("A1..C1"), R("B1..B3")).Done());
  EXPECT_EQ(Texts({"B1", "C1", "D1", "B2", "C2", "D2", "B3", "C3", "D3"}), "1|2|3|1|2|3|1|2|3");
}

TEST_F(BlockCommandsTest, ABlankSourcePositionBlanksTheTargetButKeepsItsFormat) {
  Enter("C1", "9");
  ASSERT_TRUE(SetRangeFormat(R("C1"), kFormatCurrency | 2).Done());
  Enter("A2", "4");
  ASSERT_TRUE(CopyMove(false, R("A1..A2"), R("C1")).Done());
  EXPECT_EQ(Text("C1"), "");
  ASSERT_NE(Cell("C1"), nullptr);
  EXPECT_EQ(Cell("C1")->format & 0x7F, kFormatCurrency | 2);
  EXPECT_EQ(Text("C2"), "4");
}

TEST_F(BlockCommandsTest, MoveCarriesReferencesAndDestroysOverwrittenCells) {
  Enter("A1", "5");
  Enter("B1", "+A1*2");
  Enter("B5", "7");
  Enter("C1", "+B5+1");
  Enter("D1", "@SUM(B5..B6)");
  ASSERT_TRUE(DefineRangeName("SRC", R("A1..A10")).Done());
  ASSERT_TRUE(DefineRangeName("HALF", R("A5..A20")).Done());
  ASSERT_TRUE(CopyMove(true, R("A1"), R("B5")).Done());
  EXPECT_EQ(Text("B1"), "+B5*2");
  EXPECT_EQ(Value("B1"), 10);
  EXPECT_EQ(Text("C1"), "+ERR+1");
  EXPECT_TRUE(IsErr("C1"));  // recalculated although a move changes no value
  EXPECT_TRUE(IsErr("D1"));
  EXPECT_EQ(Text("A1"), "");
  ExpectIntact();

  ResetEngineState();
  NewWorksheet("NAMES.WKS");
  for (const char* ref : {"A1", "A5", "A10"}) Enter(ref, "1");
  ASSERT_TRUE(DefineRangeName("SRC", R("A1..A10")).Done());
  ASSERT_TRUE(DefineRangeName("HALF", R("A5..A20")).Done());
  Enter("E1", "@SUM(A1..A9)");
  ASSERT_TRUE(CopyMove(true, R("A1..A10"), R("C1..C10")).Done());
  EXPECT_EQ(Name("SRC"), "C1..C10");
  EXPECT_EQ(Name("HALF"), "C5..A20");
  EXPECT_EQ(Text("E1"), "@SUM(C1..C9)");
  EXPECT_EQ(Value("E1"), 2);
  ExpectIntact();
}

TEST_F(BlockCommandsTest, OverlappingMovesInEveryDirection) {
  struct Case {
    int line;
    const char* destination;
    std::vector<const char*> expected;  // B2, C2, B3, C3 moved
  };
  const Case kCases[] = {
      {__LINE__, "B3", {"B3", "C3", "B4", "C4"}}, {__LINE__, "B1", {"B1", "C1", "B2", "C2"}},
      {__LINE__, "C2", {"C2", "D2", "C3", "D3"}}, {__LINE__, "A2", {"A2", "B2", "A3", "B3"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ResetEngineState();
    NewWorksheet("MOVE.WKS");
    Enter("B2", "1"); Enter("C2", "2"); Enter("B3", "3"); Enter("C3", "4");
    Enter("F1", "+B2+C2*10+B3*100+C3*1000");
    ASSERT_TRUE(CopyMove(true, R("B2..C3"), R(c.destination)).Done());
    EXPECT_EQ(Texts(c.expected), "1|2|3|4");
    EXPECT_EQ(Value("F1"), 4321);
    ExpectIntact();
  }
}

TEST_F(BlockCommandsTest, ProtectionKeepsCellsForEveryCommand) {
  struct Case {
    int line;
    std::function<CommandResult()> command;
    const char* cell;      // a locked cell that must keep "8"
  };
  const Case kCases[] = {
      {__LINE__, [] { return CopyMove(false, R("A1"), R("C1")); }, "C1"},
      {__LINE__, [] { return CopyMove(true, R("A1"), R("C1")); }, "C1"},
      {__LINE__, [] { return CopyMove(true, R("C1"), R("E1")); }, "C1"},
      {__LINE__, [] { return CopySpecial(CopySpecialMode::kValue, R("A1"), R("C1"), 1); }, "C1"},
      {__LINE__, [] { return CopySpecial(CopySpecialMode::kFormula, R("A1"), R("C1"), 1); }, "C1"},
      {__LINE__, [] { return CopySpecial(CopySpecialMode::kScale, R("C1"), R("A1"), 2); }, "C1"},
      {__LINE__, [] { return EraseRange(R("A1..C1"), true); }, "C1"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ResetEngineState();
    NewWorksheet("LOCK.WKS");
    Enter("A1", "'text");
    Enter("C1", "8");
    Enter("E1", "1");
    ASSERT_TRUE(SetRangeLock(R("A1..B1"), false).Done());
    ASSERT_TRUE(SetRangeLock(R("E1"), false).Done());
    ASSERT_TRUE(SetSheetProtection(true).Done());
    Messages().clear();
    c.command();
    EXPECT_EQ(Value(c.cell), 8);
    EXPECT_TRUE(Messages().empty());
    ExpectIntact();
  }
  // Unlocked targets do change, and an unlocked cell moves.
  ResetEngineState();
  NewWorksheet("LOCK2.WKS");
  Enter("A1", "3");
  Enter("B1", "4");
  ASSERT_TRUE(SetRangeLock(R("A1..B1"), false).Done());
  ASSERT_TRUE(SetSheetProtection(true).Done());
  ASSERT_TRUE(CopySpecial(CopySpecialMode::kScale, R("A1"), R("B1"), 3).Done());
  EXPECT_EQ(Text("B1"), "9");
}

TEST_F(BlockCommandsTest, SpecialCopiesByKindAndMode) {
  struct Case {
    int line;
    const char* content;
    CopySpecialMode mode;
    double factor;
    const char* expected;
  };
  const Case kCases[] = {
      {__LINE__, "4", CopySpecialMode::kValue, 1, "4"},
      {__LINE__, "+A9*3", CopySpecialMode::kValue, 1, "6"},
      {__LINE__, "+A9*3", CopySpecialMode::kScale, 2.5, "15"},
      {__LINE__, "4", CopySpecialMode::kInvert, 1, "0.25"},
      {__LINE__, "0", CopySpecialMode::kInvert, 1, "@ERR"},
      {__LINE__, "@ERR", CopySpecialMode::kValue, 1, "@ERR"},
      {__LINE__, "^centred", CopySpecialMode::kScale, 2, "^centred"},
      {__LINE__, "\"right", CopySpecialMode::kValue, 1, "\"right"},
      // String results stay text, however they read.
      {__LINE__, "+\"1+1\"", CopySpecialMode::kValue, 1, "'1+1"},
      {__LINE__, "+\"12\"", CopySpecialMode::kTranspose, 1, "'12"},
      // Formula copies keep their references literally.
      {__LINE__, "+A9*3", CopySpecialMode::kFormula, 1, "+A9*3"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ResetEngineState();
    NewWorksheet("SPECIAL.WKS");
    Enter("A9", "2");
    Enter("A1", c.content);
    ASSERT_TRUE(CopySpecial(c.mode, R("A1"), R("C3"), c.factor).Done());
    EXPECT_EQ(Text("C3"), c.expected);
    ExpectIntact();
  }
}

TEST_F(BlockCommandsTest, TransposeOntoItselfReadsTheOriginalBlock) {
  Enter("A1", "1"); Enter("B1", "2");
  Enter("A2", "3"); Enter("B2", "4");
  ASSERT_TRUE(CopySpecial(CopySpecialMode::kTranspose, R("A1..B2"), R("A1"), 1).Done());
  EXPECT_EQ(Texts({"A1", "B1", "A2", "B2"}), "1|3|2|4");
  Enter("D1", "1"); Enter("E1", "2"); Enter("F1", "3");
  ASSERT_TRUE(CopySpecial(CopySpecialMode::kTranspose, R("D1..F1"), R("E1"), 1).Done());
  EXPECT_EQ(Texts({"D1", "E1", "E2", "E3"}), "1|1|2|3");
}

TEST_F(BlockCommandsTest, CopiesRecalculateEveryWrittenCell) {
  Enter("A1", "3");
  Enter("B1", "+A1*2");
  ASSERT_TRUE(CopyMove(false, R("A1..B1"), R("A2..A4")).Done());
  for (const char* ref : {"B2", "B3", "B4"}) EXPECT_EQ(Value(ref), 6) << ref;
  Enter("A3", "10");
  EXPECT_EQ(Value("B3"), 20);
  // A string formula's copy has its own result: erasing the source leaves it whole.
  ASSERT_TRUE(SetManualRecalculation(true).Done());
  Enter("C1", "+\"word\"");
  ASSERT_TRUE(CopyMove(false, R("C1"), R("C2..C3")).Done());
  ASSERT_TRUE(EraseRange(R("C1")).Done());
  ASSERT_NE(Cell("C3"), nullptr);
  EXPECT_EQ(PoolText(CellStringResult(Cell("C3"))), "word");
  ExpectIntact();
}

TEST_F(BlockCommandsTest, CopyErrorOffTheSheetWritesNothing) {
  Enter("A1", "1");
  Enter("A2", "2");
  const CommandResult r = CopyMove(false, R("A1..A2"), R("C8192"));
  EXPECT_EQ(r.status, CommandStatus::kFailed);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Copy Error"});
  EXPECT_EQ(Cell("C8192"), nullptr);
  EXPECT_EQ(CopyMove(true, R("A1..B1"), R("IV1")).message, "Copy Error");
  EXPECT_EQ(Text("A1"), "1");
}

TEST_F(BlockCommandsTest, CopyErrorWhenMemoryRunsOutKeepsThePoolAndUndoRestores) {
  // Every allocation of the copy fails in turn: "Copy Error", cells written so far stay, the
  // pool and the links are intact, and Undo gives back the sheet as it was.
  int copyErrors = 0, undone = 0;
  for (int fail = 0; fail < 60; ++fail) {
    SCOPED_TRACE(testing::Message() << "allocation " << fail);
    ResetEngineState();
    NewWorksheet("OOM.WKS");
    Enter("A1", "'label text");
    Enter("A2", "+A1");
    Enter("A3", "+\"str\"");
    Enter("A4", "@SUM(A1..A3)");
    Enter("A5", "7");
    const std::string before = Texts({"C1", "C2", "C3", "C4", "C5", "A1", "A4"});
    Messages().clear();
    PoolFailAfter(fail);
    const CommandResult r = CopyMove(false, R("A1..A5"), R("C1"));
    PoolFailAfter(-1);
    PoolClearOutOfMemory();
    if (!r.Done()) {
      EXPECT_EQ(r.message, "Copy Error");
      ++copyErrors;
    }
    ExpectIntact();
    if (!HasUndo()) continue;  // the failure hit the Undo snapshot itself
    ++undone;
    ASSERT_TRUE(UndoLastCommand().Done());
    EXPECT_EQ(Texts({"C1", "C2", "C3", "C4", "C5", "A1", "A4"}), before);
    ExpectIntact();
  }
  EXPECT_GT(copyErrors, 3);
  EXPECT_GT(undone, 3);
}

TEST_F(BlockCommandsTest, EraseAndEraseAll) {
  Enter("A1", "5");
  Enter("B1", "+A1");
  ASSERT_TRUE(SetRangeFormat(R("A1"), kFormatCurrency | 2).Done());
  ASSERT_TRUE(EraseRange(R("A1")).Done());
  ASSERT_NE(Cell("A1"), nullptr);
  EXPECT_EQ(Cell("A1")->format & 0x7F, kFormatCurrency | 2);
  EXPECT_EQ(Text("B1"), "+A1");  // the record stays, so the reference does
  ASSERT_TRUE(EraseRange(R("A1"), true).Done());
  EXPECT_EQ(Cell("A1")->format, BlankCellTemplate().format);
  ExpectIntact();
}

// --- insert and delete -------------------------------------------------------------------------

TEST_F(BlockCommandsTest, InsertRowsShiftsCellsReferencesNamesAndRanges) {
  for (int row = 1; row <= 10; ++row) {
    Enter(("A" + std::to_string(row)).c_str(), std::to_string(row).c_str());
  }
  Enter("C1", "+A10");
  Enter("C2", "@SUM(A1..A10)");
  ASSERT_TRUE(DefineRangeName("ALL", R("A2..A10")).Done());
  ASSERT_TRUE(DefineRangeName("TOP", R("A1..A3")).Done());
  ASSERT_TRUE(InsertDelete(R("B5..B6"), ShiftKind::kRows, true).Done());
  EXPECT_EQ(Text("A12"), "10");
  EXPECT_EQ(Text("A5"), "");
  EXPECT_EQ(Text("C1"), "+A12");
  EXPECT_EQ(Text("C2"), "@SUM(A1..A12)");
  EXPECT_EQ(Name("ALL"), "A2..A12");
  EXPECT_EQ(Name("TOP"), "A1..A3");
  Enter("A5", "100");  // a new row inside the range counts
  EXPECT_EQ(Value("C2"), 155);
  EXPECT_EQ(LastRow(), 11);
  ExpectIntact();
}

TEST_F(BlockCommandsTest, DeleteRowsDestroysCellsAndUndefinesRangesWithCornersThere) {
  for (int row = 1; row <= 10; ++row) {
    Enter(("A" + std::to_string(row)).c_str(), std::to_string(row).c_str());
  }
  Enter("C1", "+A10");
  Enter("C2", "+A5");
  Enter("C3", "@SUM(A1..A10)");
  Enter("C4", "@SUM(A5..A8)");
  ASSERT_TRUE(DefineRangeName("ALL", R("A1..A10")).Done());
  ASSERT_TRUE(DefineRangeName("EMPTYCORNER", R("B6..D20")).Done());  // B6 holds no cell
  ASSERT_TRUE(DefineRangeName("BELOW", R("B7..D20")).Done());
  ASSERT_TRUE(InsertDelete(R("A5..A6"), ShiftKind::kRows, false).Done());
  EXPECT_EQ(Text("C1"), "+A8");
  EXPECT_EQ(Text("C2"), "+ERR");
  EXPECT_TRUE(IsErr("C2"));
  EXPECT_EQ(Value("C3"), 55 - 5 - 6);
  EXPECT_TRUE(IsErr("C4"));
  EXPECT_EQ(Name("ALL"), "A1..A8");
  EXPECT_EQ(Name("EMPTYCORNER"), "");
  EXPECT_EQ(Name("BELOW"), "B5..D18");
  EXPECT_EQ(LastRow(), 7);
  ExpectIntact();
}

TEST_F(BlockCommandsTest, RowsShiftOnlyInsideTheirPage) {
  Options().setPageSize(2048);
  Enter("A1", "1");
  Enter("A2", "2");
  Enter("A2049", "3");  // page B
  Enter("C1", "+A2049");
  Options().setRange(GlobalOptions::kPrintRange, R("A2049..C2050"));
  ASSERT_TRUE(DefineRangeName("PAGEB", R("A2049..A2060")).Done());
  ASSERT_TRUE(InsertDelete(R("A1"), ShiftKind::kRows, true).Done());
  EXPECT_EQ(Text("A2"), "1");
  EXPECT_EQ(Text("A2049"), "3");
  EXPECT_EQ(Name("PAGEB"), RangeText(R("A2049..A2060")));
  EXPECT_EQ(RangeText(Options().range(GlobalOptions::kPrintRange)), RangeText(R("A2049..C2050")));
  // An insertion that would push occupied rows into page B is refused.
  Enter("A2048", "9");
  Messages().clear();
  EXPECT_EQ(InsertDelete(R("A1"), ShiftKind::kRows, true).status, CommandStatus::kFailed);
  EXPECT_EQ(Messages(), std::vector<std::string>{"CELLS in bottom row"});
  EXPECT_EQ(Text("A2048"), "9");
  EXPECT_EQ(Text("A2049"), "3");
  ExpectIntact();
}

TEST_F(BlockCommandsTest, AcrossRowInsertsInEveryPage) {
  struct Case {
    int line;
    uint16_t pageSize;
    std::vector<const char*> moved;
  };
  const Case kCases[] = {
      {__LINE__, 8192, {"A3"}},
      {__LINE__, 2048, {"A3", "A2051", "A4099", "A6147"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ResetEngineState();
    NewWorksheet("ACROSS.WKS");
    Options().setPageSize(c.pageSize);
    for (const char* ref : {"A2", "A2050", "A4098", "A6146"}) Enter(ref, "1");
    ASSERT_TRUE(InsertDeleteAcrossPages(R("B2"), true).Done());
    int ones = 0;
    for (const char* ref : {"A2", "A3", "A2050", "A2051", "A4098", "A4099", "A6146", "A6147"}) {
      ones += Text(ref) == "1";
    }
    EXPECT_EQ(ones, 4);
    for (const char* ref : c.moved) EXPECT_EQ(Text(ref), "1") << ref;
    // A plain insertion afterwards inserts once.
    ASSERT_TRUE(InsertDelete(R("A1"), ShiftKind::kRows, true).Done());
    EXPECT_EQ(Text("A4"), "1");
    ASSERT_TRUE(InsertDeleteAcrossPages(R("A1"), false).Done());
    EXPECT_EQ(Text("A3"), "1");
    ExpectIntact();
  }
}

TEST_F(BlockCommandsTest, ColumnsInsertDeleteAndKeepTheExtent) {
  Enter("A1", "1");
  Enter("C1", "3");
  Enter("E1", "+C1");
  ASSERT_TRUE(SetColumnWidth(2, 100).Done());
  ASSERT_TRUE(DefineRangeName("COLS", R("C1..E1")).Done());
  ASSERT_TRUE(InsertDelete(R("B1..C1"), ShiftKind::kColumns, true).Done());
  EXPECT_EQ(Text("E1"), "3");
  EXPECT_EQ(Text("G1"), "+E1");
  EXPECT_EQ(CurrentLayout().columnWidth[4], 100);
  EXPECT_EQ(Name("COLS"), "E1..G1");
  EXPECT_EQ(LastColumn(), 6);
  // Deleting columns beyond the used ones lowers the extent by none of them.
  ASSERT_TRUE(InsertDelete(R("H1..Z1"), ShiftKind::kColumns, false).Done());
  EXPECT_EQ(LastColumn(), 6);
  ASSERT_TRUE(InsertDelete(R("F1..J1"), ShiftKind::kColumns, false).Done());
  EXPECT_EQ(LastColumn(), 4);
  EXPECT_EQ(Text("E1"), "3");
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(Text("G1"), "+E1");
  ASSERT_TRUE(UndoLastCommand().Done() || true);
  // The width table came back with the cells.
  ExpectIntact();

  ResetEngineState();
  NewWorksheet("WIDE.WKS");
  Enter("IQ1", "1");  // column 250
  Messages().clear();
  EXPECT_EQ(InsertDelete(R("A1..J1"), ShiftKind::kColumns, true).status, CommandStatus::kFailed);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Cells in last Column"});
  EXPECT_EQ(Text("IQ1"), "1");
}

TEST_F(BlockCommandsTest, DeletingRowsBeyondTheUsedAreaKeepsEveryCellForUndoAndSaving) {
  Enter("A1", "1");
  Enter("A3", "3");
  ASSERT_TRUE(InsertDelete(R("A10..A30"), ShiftKind::kRows, false).Done());
  EXPECT_EQ(LastRow(), 2);
  ASSERT_TRUE(InsertDelete(R("A2"), ShiftKind::kRows, false).Done());
  EXPECT_EQ(Text("A2"), "3");
  EXPECT_EQ(LastRow(), 1);
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(Text("A3"), "3");
}

TEST_F(BlockCommandsTest, StoredRangesOfEveryKindFollowAnInsertion) {
  Enter("A1", "1");
  Options().setRange(GlobalOptions::kSortRange, R("A1..C5"));
  GraphDefinition g = CurrentGraph();
  g.setRange(0, R("B2..B4"));
  ASSERT_EQ(StoreNamedGraph("SALES"), GraphNameResult::kDone);
  g.setRange(1, R("D3..D9"));
  ASSERT_TRUE(InsertDelete(R("A3"), ShiftKind::kRows, true).Done());
  EXPECT_EQ(RangeText(Options().range(GlobalOptions::kSortRange)), "A1..C6");
  EXPECT_EQ(RangeText(CurrentGraph().range(0)), "B2..B5");
  EXPECT_EQ(RangeText(CurrentGraph().range(1)), "D4..D10");
  ASSERT_EQ(UseNamedGraph("SALES"), GraphNameResult::kDone);
  EXPECT_EQ(RangeText(CurrentGraph().range(0)), "B2..B5");
  EXPECT_EQ(RangeText(CurrentGraph().range(1)), "");
}

TEST_F(BlockCommandsTest, PageBreakMarkerMovesNothing) {
  Enter("A5", "1");
  ASSERT_TRUE(InsertPageBreak(R("A5..C7")).Done());
  EXPECT_EQ(Text("A5"), "|::");
  EXPECT_EQ(Text("A6"), "");
}

TEST_F(BlockCommandsTest, GnumericRecalculatesASheetOfCopiesAndInsertionsToOurValues) {
  if (std::system("command -v ssconvert >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "ssconvert is not installed";
  }
  // Formulas read cells to their right and below only: the peer misreads negative offsets.
  for (int row = 1; row <= 6; ++row) {
    Enter(("D" + std::to_string(row)).c_str(), std::to_string(row * 3).c_str());
    Enter(("C" + std::to_string(row)).c_str(), std::to_string(row + 100).c_str());
  }
  Enter("A1", "+D1*2+$D$6");
  Enter("B1", "@SUM(D1..D3)+C1");
  ASSERT_TRUE(CopyMove(false, R("A1..B1"), R("A2..A5")).Done());
  ASSERT_TRUE(InsertDelete(R("A3"), ShiftKind::kRows, true).Done());
  Enter("D3", "1000");
  ASSERT_TRUE(InsertDelete(R("B1"), ShiftKind::kColumns, true).Done());
  ASSERT_TRUE(CopyMove(false, R("A1..E7"), R("G4")).Done());
  ASSERT_TRUE(CopyMove(true, R("A1..E10"), R("A20")).Done());
  ASSERT_TRUE(CopySpecial(CopySpecialMode::kValue, R("A21..C23"), R("M1"), 1).Done());
  Enter("A1", "7");  // the peer's text file starts at the first row in use
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tallivo-blocks-peer";
  std::filesystem::create_directories(dir);
  ASSERT_TRUE(SaveWorksheet((dir / "peer.wk1").string()));
  const std::string command = "cd '" + dir.string() +
                              "' && ssconvert --recalc peer.wk1 peer.csv >ssconvert.log 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream in(dir / "peer.csv");
  std::string line;
  int compared = 0;
  for (uint32_t row = 0; std::getline(in, line); ++row) {
    std::stringstream fields(line);
    std::string field;
    for (uint32_t column = 0; std::getline(fields, field, ','); ++column) {
      const CellHandle h = GetCell(row, column);
      if (!h || !KindIsNumeric(CellAt(h)->kind)) continue;
      SCOPED_TRACE(RangeText(MakeRange(uint16_t(column), uint16_t(row), uint16_t(column),
                                       uint16_t(row))));
      EXPECT_DOUBLE_EQ(std::strtod(field.c_str(), nullptr), CellNumber(CellAt(h)));
      ++compared;
    }
  }
  EXPECT_GT(compared, 25);
  std::filesystem::remove_all(dir);
}

// The sheet as a user sees it: every cell's entry text and value, the names, the print range,
// the graph ranges, widths and heights.
std::string SheetDump() {
  std::string out;
  for (uint32_t row = 0; row <= LastRow() + 2u; ++row) {
    for (CellHandle h = RowHead(int(row)); h; h = CellAt(h)->next) {
      const CellRecord* c = CellAt(h);
      const std::string text = EditText(row, c->column).text;
      if (text.empty()) continue;
      out += ShortCellText(uint16_t(row), c->column) + "=" + text + ":" +
             std::to_string(CellNumber(c)) + "\n";
    }
  }
  for (int i = 1; i <= NameCount(); ++i) out += NameAt(i) + " " + RangeText(NameRange(i)) + "\n";
  out += "print " + RangeText(Options().range(GlobalOptions::kPrintRange)) + "\n";
  for (int i = 0; i < kGraphRangeCount; ++i) out += RangeText(CurrentGraph().range(i)) + ";";
  for (int i = 0; i < 12; ++i) out += std::to_string(CurrentLayout().columnWidth[size_t(i)]) + ",";
  for (int i = 0; i < 12; ++i) out += std::to_string(CurrentLayout().rowHeight[size_t(i)]) + ",";
  return out;
}

TEST_F(BlockCommandsTest, UndoPutsBackCellsReferencesAndEveryStoredRange) {
  struct Case {
    int line;
    std::function<CommandResult()> command;
  };
  const Case kCases[] = {
      {__LINE__, [] { return CopyMove(true, R("A1..B10"), R("D3")); }},
      {__LINE__, [] { return CopyMove(true, R("A5"), R("B2")); }},  // overwrites a cell
      {__LINE__, [] { return CopyMove(false, R("A1..B10"), R("B3")); }},
      {__LINE__, [] { return InsertDelete(R("A5..A6"), ShiftKind::kRows, true); }},
      {__LINE__, [] { return InsertDelete(R("A5..A6"), ShiftKind::kRows, false); }},
      {__LINE__, [] { return InsertDelete(R("B1"), ShiftKind::kColumns, true); }},
      {__LINE__, [] { return InsertDelete(R("A1"), ShiftKind::kColumns, false); }},
      {__LINE__, [] { return InsertDeleteAcrossPages(R("A2"), true); }},
      {__LINE__, [] { return CopySpecial(CopySpecialMode::kTranspose, R("A1..B3"), R("A1"), 1); }},
      {__LINE__, [] { return EraseRange(R("A1..B4"), true); }},
      {__LINE__, [] { return InsertDeleteAcrossPages(R("A3..A4"), false); }},
      {__LINE__, [] { return InsertDelete(R("A1..B1"), ShiftKind::kColumns, true); }},
      {__LINE__, [] { return CopyMove(true, R("A1..A10"), R("A4090")); }},  // over a page end
      {__LINE__, [] {
         return SortRange(R("A1..B10"), {R("A1"), CellRange{}, CellRange{}, CellRange{}},
                          {false, true, true, true});
       }},
      {__LINE__, [] { return FillSeries(R("A3..B12"), FillType::kLinear, true, 2, 1); }},
      {__LINE__, [] {
         FindState state;
         state.findText = "A1";
         state.replaceText = "A2";
         return ReplaceAll(state);
       }},
      {__LINE__, [] { return SetLabelPrefix(R("A1..B3"), 2 | kPrefixAlsoAlignment); }},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ResetEngineState();
    NewWorksheet("UNDO.WKS");
    Options().setPageSize(4096);
    for (int row = 1; row <= 10; ++row) {
      Enter(("A" + std::to_string(row)).c_str(), std::to_string(row).c_str());
    }
    Enter("B1", "+A5*2");
    Enter("B2", "@SUM(A1..A10)");
    Enter("C1", "+B2+A10");
    Enter("A4100", "+A5");
    ASSERT_TRUE(DefineRangeName("ALL", R("A1..A10")).Done());
    ASSERT_TRUE(DefineRangeName("MID", R("A5..B6")).Done());
    Options().setRange(GlobalOptions::kPrintRange, R("A2..B9"));
    CurrentGraph().setRange(0, R("A1..A10"));
    CurrentGraph().setRange(1, R("B5..B8"));
    ASSERT_TRUE(SetColumnWidth(1, 99).Done());
    ASSERT_TRUE(SetRowHeight(5, 30).Done());
    const std::string before = SheetDump();
    ASSERT_TRUE(c.command().Done());
    EXPECT_NE(SheetDump(), before);
    ExpectIntact();
    const std::string after = SheetDump();
    ASSERT_TRUE(UndoLastCommand().Done());
    EXPECT_EQ(SheetDump(), before);
    ExpectIntact();
    ASSERT_TRUE(RedoLastCommand().Done());
    EXPECT_EQ(SheetDump(), after);
    ExpectIntact();
    ASSERT_TRUE(UndoLastCommand().Done());
    EXPECT_EQ(SheetDump(), before);
  }
}

// A range whose one corner was destroyed still names the other corner's record: moving and
// destroying that record reach the formula too, and Undo brings both back.
TEST_F(BlockCommandsTest, ARangeWithOneCornerGoneFollowsTheOther) {
  for (int row = 1; row <= 4; ++row) Enter(("A" + std::to_string(row)).c_str(), "1");
  Enter("C1", "@SUM(A2..A4)");
  ASSERT_TRUE(InsertDelete(R("A4"), ShiftKind::kRows, false).Done());
  const std::string halfGone = Text("C1");
  ExpectIntact();
  ASSERT_TRUE(CopyMove(true, R("A2"), R("E7")).Done());
  EXPECT_EQ(Text("C1"), std::string(halfGone).replace(halfGone.find("A2"), 2, "E7"));
  ExpectIntact();
  ASSERT_TRUE(InsertDelete(R("A7"), ShiftKind::kRows, false).Done());
  EXPECT_EQ(Text("C1").find("E7"), std::string::npos) << Text("C1");
  EXPECT_TRUE(IsErr("C1"));
  ExpectIntact();
  ASSERT_TRUE(UndoLastCommand().Done());
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(Text("C1"), halfGone);
  ExpectIntact();
}

}  // namespace
