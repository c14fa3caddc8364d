// bench/recalc_bench.cpp — formula evaluation and recalculation speed, and linking cost.
//
// Each benchmark builds its sheet through cell entry on a freshly reset engine with one open
// worksheet, then times recalculation (or, for the shared cell, the entries themselves). The
// "items" counters are formulas evaluated (or entered), so items_per_second is formulas per
// second.
#include <benchmark/benchmark.h>

#include <string>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/global_options.h"
#include "core/names.h"
#include "core/pool.h"
#include "core/worksheets.h"
#include "formula/evaluator.h"
#include "commands/engine_start.h"
#include "formula/functions_math.h"
#include "formula/recalc.h"
#include "platform/headless/headless_platform.h"

namespace {

struct Engine {
  Engine() {
    ResetEngineState();
    SetUndoEnabled(false);
    ActivateWorksheet(CreateWorksheetWindow("BENCH.WKS"));
  }
  ~Engine() {
    ResetEngineState();
  }
};

std::string Ref(uint32_t row, uint32_t column) { return ShortCellText(row, column); }

// Position i of a chain running down the rows and on into the next column.
uint32_t ChainRow(int i) { return uint32_t(i % kRowCount); }
uint32_t ChainColumn(int i) { return uint32_t(i / kRowCount); }

void BuildChain(int n) {
  EnterCell("1", 0, 0);
  for (int i = 1; i < n; ++i) {
    EnterCell("+" + Ref(ChainRow(i - 1), ChainColumn(i - 1)) + "+1", ChainRow(i), ChainColumn(i));
  }
}

constexpr int kChain = 200000;

void BM_ChainRecalculateAll(benchmark::State& state) {
  Engine engine;
  BuildChain(kChain);
  for (auto _ : state) RecalculateAll();
  state.SetItemsProcessed(state.iterations() * (kChain - 1));
}
BENCHMARK(BM_ChainRecalculateAll)->Unit(benchmark::kMillisecond);

void BM_ChainRecalculateFrom(benchmark::State& state) {
  Engine engine;
  BuildChain(kChain);
  const CellHandle first = GetCell(0, 0);
  for (auto _ : state) RecalculateFrom(first);
  state.SetItemsProcessed(state.iterations() * (kChain - 1));
}
BENCHMARK(BM_ChainRecalculateFrom)->Unit(benchmark::kMillisecond);

// RecalculateFrom near the end of the long chain: its cost follows the dependents reached.
void BM_ChainRecalculateFromNearEnd(benchmark::State& state) {
  Engine engine;
  BuildChain(kChain);
  const int start = kChain - 1000;
  const CellHandle cell = GetCell(ChainRow(start), ChainColumn(start));
  for (auto _ : state) RecalculateFrom(cell);
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ChainRecalculateFromNearEnd)->Unit(benchmark::kMicrosecond);

// 200,000 formulas +A<row>*2+1, each on a number in its own row: pairs of columns.
void BM_IndependentRecalculateAll(benchmark::State& state) {
  Engine engine;
  int formulas = 0;
  for (uint32_t pair = 0; formulas < kChain; ++pair) {
    for (uint32_t row = 0; row < uint32_t(kRowCount) && formulas < kChain; ++row, ++formulas) {
      EnterCell(std::to_string(row % 100), row, 2 * pair);
      EnterCell("+" + Ref(row, 2 * pair) + "*2+1", row, 2 * pair + 1);
    }
  }
  for (auto _ : state) RecalculateAll();
  state.SetItemsProcessed(state.iterations() * kChain);
}
BENCHMARK(BM_IndependentRecalculateAll)->Unit(benchmark::kMillisecond);

// 100,000 formulas +$A$1*2 entered one by one: linking each to A1 must not grow with the number
// already linked.
void BM_OneCellEnteredDependents(benchmark::State& state) {
  const int n = int(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    {
      Engine engine;
      EnterCell("3", 0, 0);
      state.ResumeTiming();
      for (int i = 0; i < n; ++i) {
        const int at = i + 1;  // B1 onwards, down the columns
        EnterCell("+$A$1*2", ChainRow(at), ChainColumn(at) + 1);
      }
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_OneCellEnteredDependents)->Arg(25000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_OneCellRecalculateFrom(benchmark::State& state) {
  Engine engine;
  EnterCell("3", 0, 0);
  const int n = 100000;
  for (int i = 1; i <= n; ++i) EnterCell("+$A$1*2", ChainRow(i), ChainColumn(i) + 1);
  const CellHandle a1 = GetCell(0, 0);
  for (auto _ : state) RecalculateFrom(a1);
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_OneCellRecalculateFrom)->Unit(benchmark::kMillisecond);

// 2,000 formulas, each @SUM of a 100-cell range of numbers (a 100 x 20 block of numbers; each
// formula sums one column band of 100 rows, shifted by its index).
void BM_RangeSums(benchmark::State& state) {
  Engine engine;
  for (uint32_t row = 0; row < 200; ++row) {
    for (uint32_t column = 0; column < 20; ++column) {
      EnterCell(std::to_string((row * 7 + column) % 50), row, column);
    }
  }
  const int kSums = 2000;
  for (int i = 0; i < kSums; ++i) {
    const uint32_t column = uint32_t(i % 20), first = uint32_t(i / 20);
    EnterCell("@SUM(" + Ref(first, column) + ".." + Ref(first + 99, column) + ")",
              uint32_t(i % 1000), 30 + uint32_t(i / 1000));
  }
  for (auto _ : state) RecalculateAll();
  state.SetItemsProcessed(state.iterations() * kSums);
}
BENCHMARK(BM_RangeSums)->Unit(benchmark::kMillisecond);

}  // namespace
