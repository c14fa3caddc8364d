// bench/macro_bench.cpp — speed of the macro interpreter without a window.
//
// A one-line FOR/LET/NEXT loop of 100,000 passes (each pass an assignment through entry with its
// Undo snapshot), and 8,192 keystroke entries typed down a column through the headless entry
// line. "items" are loop passes or entries.
#include <benchmark/benchmark.h>

#include <string>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/names.h"
#include "core/pool.h"
#include "core/worksheets.h"
#include "formula/evaluator.h"
#include "commands/engine_start.h"
#include "formula/functions_math.h"
#include "formula/functions_sheet.h"
#include "macros/interpreter.h"
#include "platform/headless/headless_platform.h"

namespace {

struct Engine {
  Engine() {
    ResetMacroState();
    ResetEngineState();
    ActivateWorksheet(CreateWorksheetWindow("BENCH.WKS"));
  }
  ~Engine() {
    ResetMacroState();
    ResetEngineState();
  }
};

// Arg 1 of each benchmark: 1 with the Undo snapshot before every change (as a user has it), 0
// with Undo switched off (the interpreter's own cost).
void BM_ForLetNextLoop(benchmark::State& state) {
  Engine engine;
  SetUndoEnabled(state.range(1) != 0);
  const int passes = static_cast<int>(state.range(0));
  const std::string text =
      "{FOR C1,1," + std::to_string(passes) + ",1}{LET D1,D1+C1}{NEXT}";
  for (auto _ : state) {
    EnterCell("0", 0, 3);
    RunMacroText(text);
  }
  state.SetItemsProcessed(state.iterations() * passes);
}
BENCHMARK(BM_ForLetNextLoop)->Args({100000, 1})->Args({100000, 0})->Unit(benchmark::kMillisecond);

void BM_KeystrokeEntriesDownAColumn(benchmark::State& state) {
  Engine engine;
  SetUndoEnabled(state.range(0) != 0);
  std::string text = "{HOME}";
  for (int i = 0; i < kRowCount; ++i) text += std::to_string(i) + "{DOWN}";
  for (auto _ : state) RunMacroText(text);
  state.SetItemsProcessed(state.iterations() * kRowCount);
}
BENCHMARK(BM_KeystrokeEntriesDownAColumn)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
