// bench/undo_bench.cpp — big sheets: Undo and Redo, shared references, ranges over the grid.
//
// Each benchmark builds its sheet on a freshly reset engine with one open worksheet and the undo
// journal on, as the programs run it:
// - an entry of one number and its Undo, on an empty sheet and on one of 802,816 numbers (the
//   cost should not depend on the sheet);
// - n formulas +$A$1*2 entered, erased and entered again (linear in n: the dependents list of A1
//   takes and gives up one formula in constant time);
// - the Undo of an erase of 100,000 numbers, with the journal's bytes as a counter;
// - @SUM(A2..IV8192) entered into an empty sheet (2,097,151 placeholders linked), with the pool's
//   bytes as a counter;
// - commands and their Undo, on an empty sheet and on one of 802,816 numbers: a copy of a 10 x 10
//   block, an insertion of one row (which must move the rows below it), a sort of 100 rows and a
//   fill of 1,000 cells, with the journal's bytes of the command as a counter.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "commands/block_commands.h"
#include "commands/commands.h"
#include "commands/fill.h"
#include "commands/sort.h"
#include "commands/engine_start.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/names.h"
#include "core/pool.h"
#include "core/worksheets.h"
#include "formula/evaluator.h"
#include "formula/recalc.h"
#include "platform/headless/headless_platform.h"

namespace {

struct Engine {
  Engine() {
    ResetEngineState();
    ActivateWorksheet(CreateWorksheetWindow("BENCH.WKS"));
  }
  ~Engine() { ResetEngineState(); }
};

// 8192 rows of `columns` numbers, made without Undo (as a loaded file is).
void FillNumbers(uint32_t columns) {
  for (uint32_t row = 0; row < uint32_t(kRowCount); ++row) {
    for (uint32_t column = 0; column < columns; ++column) {
      StoreNumber(CellAt(GetOrCreateCell(row, column)), row * 0.5 + column);
    }
  }
}

// Arg: the number of columns of 8192 numbers already on the sheet (0 or 98).
void BM_EnterNumberAndUndo(benchmark::State& state) {
  Engine engine;
  FillNumbers(uint32_t(state.range(0)));
  for (auto _ : state) {
    EnterIntoCell(100, 200, "5");
    UndoLastCommand();
  }
  state.counters["cells"] = double(state.range(0)) * kRowCount;
}
BENCHMARK(BM_EnterNumberAndUndo)->Arg(0)->Arg(98)->Unit(benchmark::kMicrosecond);

// Arg: n, the number of formulas +$A$1*2 (down columns B, C, ...).
void BM_SharedReferenceEnterEraseEnter(benchmark::State& state) {
  const int n = int(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    {
      Engine engine;
      SetUndoEnabled(false);
      EnterCell("3", 0, 0);
      state.ResumeTiming();
      for (int i = 0; i < n; ++i) EnterIntoCell(uint32_t(i % kRowCount), 1 + i / kRowCount, "+$A$1*2");
      for (int i = 0; i < n; ++i) {
        const uint16_t row = uint16_t(i % kRowCount);
        const uint16_t column = uint16_t(1 + i / kRowCount);
        EraseRange(CellRange{column, row, column, row});
      }
      for (int i = 0; i < n; ++i) EnterIntoCell(uint32_t(i % kRowCount), 1 + i / kRowCount, "+$A$1*2");
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * 3 * n);
}
BENCHMARK(BM_SharedReferenceEnterEraseEnter)
    ->Arg(25000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The Undo of one erase of 100,000 numbers (8192 rows of 13 columns, less the last 6,496).
void BM_UndoOfAnEraseOf100000Cells(benchmark::State& state) {
  constexpr int kCells = 100000;
  size_t journal = 0;
  for (auto _ : state) {
    state.PauseTiming();
    {
      Engine engine;
      FillNumbers(13);
      {
        UndoGroupScope group;  // 12 whole columns and the top of the 13th, one action
        EraseRange(CellRange{0, 0, 11, kRowCount - 1});
        EraseRange(CellRange{12, 0, 12, uint16_t(kCells - 12 * kRowCount - 1)});
      }
      journal = UndoJournalBytes();
      state.ResumeTiming();
      UndoLastCommand();
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  state.counters["journal_bytes"] = double(journal);
  state.counters["bytes_per_cell"] = double(journal) / kCells;
}
BENCHMARK(BM_UndoOfAnEraseOf100000Cells)->Unit(benchmark::kMillisecond);

// @SUM(A2..IV8192) into an empty sheet, as one user action.
void BM_SumOverTheWholeGrid(benchmark::State& state) {
  int64_t poolBytes = 0;
  size_t journal = 0;
  for (auto _ : state) {
    state.PauseTiming();
    {
      Engine engine;
      const int64_t before = PoolFreeBytes();
      state.ResumeTiming();
      EnterIntoCell(0, 0, "@SUM(A2..IV8192)");
      state.PauseTiming();
      poolBytes = before - PoolFreeBytes();
      journal = UndoJournalBytes();
    }
    state.ResumeTiming();
  }
  state.counters["pool_bytes"] = double(poolBytes);
  state.counters["journal_bytes"] = double(journal);
}
BENCHMARK(BM_SumOverTheWholeGrid)->Unit(benchmark::kMillisecond);

// 100 rows x 10 columns of numbers in columns CW..DF (right of the 98 filled columns), the
// first column descending so that sorting by it reverses the rows.
void FillCommandBlock() {
  for (uint32_t row = 0; row < 100; ++row) {
    for (uint32_t column = 100; column < 110; ++column) {
      StoreNumber(CellAt(GetOrCreateCell(row, column)), column == 100 ? 1000.0 - row : row + column);
    }
  }
}

// As many numbers as FillNumbers, the last row left empty so that rows can be inserted: 8191
// rows of `columns` numbers and `columns` more in the next column.
void FillNumbersAboveTheLastRow(uint32_t columns) {
  for (uint32_t row = 0; row + 1 < uint32_t(kRowCount); ++row) {
    for (uint32_t column = 0; column < columns; ++column) {
      StoreNumber(CellAt(GetOrCreateCell(row, column)), row * 0.5 + column);
    }
  }
  for (uint32_t row = 0; row < columns; ++row) StoreNumber(CellAt(GetOrCreateCell(row, columns)), row);
}

// Runs `command` and its Undo on a sheet with `columns` columns of 8192 numbers.
template <typename Command>
void CommandAndUndo(benchmark::State& state, Command command, bool lastRowEmpty = false) {
  Engine engine;
  if (lastRowEmpty) {
    FillNumbersAboveTheLastRow(uint32_t(state.range(0)));
  } else {
    FillNumbers(uint32_t(state.range(0)));
  }
  FillCommandBlock();
  size_t journal = 0;
  for (auto _ : state) {
    command();
    journal = UndoJournalBytes();
    UndoLastCommand();
  }
  state.counters["cells"] = double(state.range(0)) * kRowCount;
  state.counters["journal_bytes"] = double(journal);
}

void BM_CopyBlockAndUndo(benchmark::State& state) {
  CommandAndUndo(state, [] { CopyMove(false, CellRange{100, 0, 109, 9}, CellRange{100, 200, 100, 200}); });
}
BENCHMARK(BM_CopyBlockAndUndo)->Arg(0)->Arg(98)->Unit(benchmark::kMicrosecond);

void BM_InsertRowAndUndo(benchmark::State& state) {
  CommandAndUndo(state, [] { InsertDelete(CellRange{0, 50, 0, 50}, ShiftKind::kRows, true); }, true);
}
BENCHMARK(BM_InsertRowAndUndo)->Arg(0)->Arg(98)->Unit(benchmark::kMicrosecond);

void BM_SortRowsAndUndo(benchmark::State& state) {
  CommandAndUndo(state, [] {
    SortRange(CellRange{100, 0, 109, 99}, {CellRange{100, 0, 100, 0}, CellRange{}, CellRange{}, CellRange{}},
              kAllAscending);
  });
}
BENCHMARK(BM_SortRowsAndUndo)->Arg(0)->Arg(98)->Unit(benchmark::kMicrosecond);

void BM_FillAndUndo(benchmark::State& state) {
  CommandAndUndo(state, [] { FillSeries(CellRange{120, 0, 120, 999}, FillType::kLinear, false, 1, 0); });
}
BENCHMARK(BM_FillAndUndo)->Arg(0)->Arg(98)->Unit(benchmark::kMicrosecond);

}  // namespace
