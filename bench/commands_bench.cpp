// bench/commands_bench.cpp — copy, move, insert and delete on a large sheet, the shifting of
// stored ranges, the paste of a large block of text, and the data commands: sort, Replace All
// over a formula chain, a whole-grid fill.
//
// The sheet: 8,000 rows by 10 columns, A..E numbers and F..J formulas reading the number five
// columns to their left (+A1*2). Every command runs as the programs run it: one undo group (the
// Undo record taken), the operation, recalculation in automatic mode. A timed command is undone
// by its opposite with the timer paused, so that every iteration starts from the same sheet.
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "commands/block_commands.h"
#include "commands/clipboard.h"
#include "commands/commands.h"
#include "commands/engine_start.h"
#include "commands/fill.h"
#include "commands/find_replace.h"
#include "commands/sort.h"
#include "commands/worksheet_files.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/global_options.h"
#include "core/graph_definition.h"
#include "core/names.h"

namespace {

constexpr uint32_t kRows = 8000;
constexpr uint32_t kColumns = 10;

struct Sheet {
  Sheet() {
    ResetEngineState();
    NewWorksheet("BENCH.WKS");
    for (uint32_t row = 0; row < kRows; ++row) {
      for (uint32_t column = 0; column < kColumns / 2; ++column) {
        EnterCell(std::to_string(row + column), row, column);
        EnterCell("+" + ShortCellText(row, column) + "*2", row, column + kColumns / 2);
      }
    }
  }
  ~Sheet() { ResetEngineState(); }
};

CellRange R(const char* text) { return ParseRange(text); }

void BM_InsertRowAtTop(benchmark::State& state) {
  Sheet sheet;
  for (auto _ : state) {
    InsertDelete(R("A1"), ShiftKind::kRows, true);
    state.PauseTiming();
    InsertDelete(R("A1"), ShiftKind::kRows, false);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_InsertRowAtTop)->Unit(benchmark::kMillisecond);

void BM_DeleteRowAtTop(benchmark::State& state) {
  Sheet sheet;
  for (auto _ : state) {
    state.PauseTiming();
    InsertDelete(R("A1"), ShiftKind::kRows, true);
    state.ResumeTiming();
    InsertDelete(R("A1"), ShiftKind::kRows, false);
  }
}
BENCHMARK(BM_DeleteRowAtTop)->Unit(benchmark::kMillisecond);

void BM_InsertColumnAtA(benchmark::State& state) {
  Sheet sheet;
  for (auto _ : state) {
    InsertDelete(R("A1"), ShiftKind::kColumns, true);
    state.PauseTiming();
    InsertDelete(R("A1"), ShiftKind::kColumns, false);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_InsertColumnAtA)->Unit(benchmark::kMillisecond);

void BM_MoveBlockDownOneRow(benchmark::State& state) {
  Sheet sheet;
  for (auto _ : state) {
    CopyMove(true, R("A1..J8000"), R("A2"));
    state.PauseTiming();
    CopyMove(true, R("A2..J8001"), R("A1"));
    state.ResumeTiming();
  }
}
BENCHMARK(BM_MoveBlockDownOneRow)->Unit(benchmark::kMillisecond);

void BM_CopyThousandRowsOfFormulas(benchmark::State& state) {
  Sheet sheet;
  for (auto _ : state) CopyMove(false, R("A1..J1000"), R("L1"));
  state.SetItemsProcessed(state.iterations() * 1000 * kColumns);
}
BENCHMARK(BM_CopyThousandRowsOfFormulas)->Unit(benchmark::kMillisecond);

// 240 range names and 50 named graphs with all 13 ranges defined, shifted down and back up.
void BM_AdjustStoredRanges(benchmark::State& state) {
  Sheet sheet;
  for (int i = 0; i < kMaxNames; ++i) {
    const uint16_t row = uint16_t(i * 30);
    DefineName("N" + std::to_string(i), MakeRange(0, row, 3, uint16_t(row + 20)));
  }
  GraphDefinition graph = CurrentGraph();
  for (int i = 0; i < 50; ++i) {
    for (int r = 0; r < kGraphRangeCount; ++r) {
      const uint16_t row = uint16_t(i * 100 + r);
      graph.setRange(r, MakeRange(uint16_t(r), row, uint16_t(r), uint16_t(row + 50)));
    }
    StoreNamedGraph("G" + std::to_string(i));
  }
  int delta = 1;
  for (auto _ : state) {
    AffectedArea affected;
    affected.area = MakeRange(0, delta > 0 ? 100 : 101, kColumnCount - 1, kRowCount - 2);
    affected.rowDelta = delta;
    AdjustStoredRanges(affected);
    delta = -delta;
  }
  state.SetItemsProcessed(state.iterations() * (kMaxNames + 51 * kGraphRangeCount));
}
BENCHMARK(BM_AdjustStoredRanges)->Unit(benchmark::kMillisecond);

// A block of 100,000 cells from another program (5,000 lines of 20 numbers and labels, TAB
// between them, CR LF after each line) pasted into an empty sheet.
std::string PlainBlock() {
  std::string text;
  for (int row = 0; row < 5000; ++row) {
    for (int column = 0; column < 20; ++column) {
      if (column > 0) text += '\t';
      text += column % 5 == 4 ? "item " + std::to_string(row) : std::to_string(row * 20 + column) + ".25";
    }
    text += "\r\n";
  }
  return text;
}

void BM_PasteHundredThousandCells(benchmark::State& state) {
  const std::string text = PlainBlock();
  for (auto _ : state) {
    state.PauseTiming();
    ResetEngineState();
    NewWorksheet("BENCH.WKS");
    state.ResumeTiming();
    PasteText(text, ClipFormat::kText, 0, 0);
  }
  ResetEngineState();
  state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_PasteHundredThousandCells)->Unit(benchmark::kMillisecond);

// 8192 rows of A..Z numbers sorted by A (ten values) then B (seven values), so nearly every row
// ties on key 1; column AA holds 8192 formulas outside the data range reading Z of their row. The
// sort is undone with the timer paused.
void BM_SortTwoKeysWithTies(benchmark::State& state) {
  ResetEngineState();
  NewWorksheet("BENCH.WKS");
  Options().setManualRecalc(true);
  for (uint32_t row = 0; row < kRowCount; ++row) {
    const uint32_t mixed = (row * 7919u) % kRowCount;
    EnterCell(std::to_string(mixed % 10), row, 0);
    EnterCell(std::to_string(mixed % 7), row, 1);
    for (uint32_t column = 2; column < 26; ++column) EnterCell(std::to_string(row + column), row, column);
    EnterCell("+" + ShortCellText(uint16_t(row), 25), row, 26);
  }
  Options().setManualRecalc(false);
  const CellRange data = MakeRange(0, 0, 25, kRowCount - 1);
  const std::array<CellRange, 4> keys = {MakeRange(0, 0, 0, 0), MakeRange(1, 0, 1, 0), CellRange{},
                                         CellRange{}};
  for (auto _ : state) {
    SortRange(data, keys, kAllAscending);
    state.PauseTiming();
    UndoLastCommand();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kRowCount);
  ResetEngineState();
}
BENCHMARK(BM_SortTwoKeysWithTies)->Unit(benchmark::kMillisecond);

// 100,000 formulas in one dependency chain down the columns (each adds 1 to the cell before it);
// Replace All turns every "+1" into "+2" and back, with one recalculation of the chain each time.
void BM_ReplaceAllOverAFormulaChain(benchmark::State& state) {
  constexpr uint32_t kFormulas = 100000;
  ResetEngineState();
  NewWorksheet("BENCH.WKS");
  Options().setManualRecalc(true);
  EnterCell("1", 0, 0);
  for (uint32_t i = 1; i <= kFormulas; ++i) {
    const uint32_t before = i - 1;
    EnterCell("+" + ShortCellText(uint16_t(before % kRowCount), uint16_t(before / kRowCount)) + "+1",
              i % kRowCount, i / kRowCount);
  }
  Options().setManualRecalc(false);
  bool forth = true;
  for (auto _ : state) {
    FindState find;
    find.findText = forth ? "+1" : "+2";
    find.replaceText = forth ? "+2" : "+1";
    ReplaceAll(find);
    if (find.replacements != kFormulas) state.SkipWithError("not every formula was rewritten");
    forth = !forth;
  }
  state.SetItemsProcessed(state.iterations() * kFormulas);
  ResetEngineState();
}
BENCHMARK(BM_ReplaceAllOverAFormulaChain)->Unit(benchmark::kMillisecond);

// A linear fill of the whole grid, A1..IV8192 (2,097,152 cells), into a new sheet each time.
void BM_FillWholeGrid(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    ResetEngineState();
    NewWorksheet("BENCH.WKS");
    state.ResumeTiming();
    FillSeries(MakeRange(0, 0, kColumnCount - 1, kRowCount - 1), FillType::kLinear, true, 1, 1);
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kColumnCount) * kRowCount);
  ResetEngineState();
}
BENCHMARK(BM_FillWholeGrid)->Unit(benchmark::kMillisecond);

}  // namespace
