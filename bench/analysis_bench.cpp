// bench/analysis_bench.cpp — the data tools on large inputs: a one-input data table over a long
// formula chain, frequency bins over a full block, a query, and a least-squares fit.
//
// Each tool runs as the programs run it (one undo group, recalculation in automatic mode); its
// output is undone with the timer paused, so every iteration starts from the same sheet.
#include <benchmark/benchmark.h>

#include <string>

#include "analysis/data_tools.h"
#include "analysis/regression.h"
#include "commands/commands.h"
#include "commands/engine_start.h"
#include "commands/worksheet_files.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "core/entry.h"

namespace {

CellRange R(const char* text) { return ParseRange(text); }

struct FreshSheet {
  FreshSheet() {
    ResetEngineState();
    NewWorksheet("BENCH.WKS");
  }
  ~FreshSheet() { ResetEngineState(); }
};

// 1,000 input values down column D, 10 formulas in E1..N1 reading the end of a chain of 1,000
// formulas in column B that starts at the input cell A1.
void BM_OneInputTableOverAChain(benchmark::State& state) {
  FreshSheet sheet;
  EnterCell("1", 0, 0);
  EnterCell("+A1+1", 0, 1);
  for (uint32_t row = 1; row < 1000; ++row) {
    EnterCell("+B" + std::to_string(row) + "+1", row, 1);
  }
  for (uint32_t row = 1; row <= 1000; ++row) EnterCell(std::to_string(row), row, 3);
  for (uint32_t k = 1; k <= 10; ++k) EnterCell("+$B$1000*" + std::to_string(k), 0, 3 + k);
  for (auto _ : state) {
    DataTable(R("A1"), NoRange(), R("D1..N1001"));
    state.PauseTiming();
    UndoLastCommand();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OneInputTableOverAChain)->Unit(benchmark::kMillisecond);

// 98 columns x 8,192 rows = 802,816 values, 100 bins.
void BM_FrequencyBinsOverAFullBlock(benchmark::State& state) {
  FreshSheet sheet;
  uint32_t seed = 12345;
  for (uint32_t row = 0; row < 8192; ++row) {
    for (uint32_t column = 0; column < 98; ++column) {
      seed = seed * 1103515245u + 12345u;
      CellRecord* c = CellAt(GetOrCreateCell(row, column));
      StoreNumber(c, double((seed >> 8) % 10000) / 100.0);
    }
  }
  for (uint32_t row = 0; row < 100; ++row) EnterCell(std::to_string(row + 1), row, 104);
  for (auto _ : state) {
    FrequencyBins(R("A1..CT8192"), R("DA1..DA100"), false);
    state.PauseTiming();
    UndoLastCommand();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FrequencyBinsOverAFullBlock)->Unit(benchmark::kMillisecond);

// 8,000 records of three fields; three criteria rows (a label pattern, a number, a formula).
void BM_QueryOfEightThousandRecords(benchmark::State& state) {
  FreshSheet sheet;
  const char* kNames[] = {"'Smith", "'Jones", "'Stone", "'Brown", "'Scott"};
  EnterCell("'Name", 0, 0);
  EnterCell("'Age", 0, 1);
  EnterCell("'City", 0, 2);
  for (uint32_t row = 1; row <= 8000; ++row) {
    EnterCell(kNames[row % 5], row, 0);
    EnterCell(std::to_string(20 + row % 50), row, 1);
    EnterCell(row % 3 ? "'Oslo" : "'Rome", row, 2);
  }
  EnterCell("'Name", 0, 4);
  EnterCell("'Age", 0, 5);
  EnterCell("'S*", 1, 4);
  EnterCell("30", 2, 5);
  EnterCell("+B2>65", 3, 5);
  EnterCell("'Name", 0, 7);
  EnterCell("'City", 0, 8);
  for (auto _ : state) {
    QueryExtract(R("A1..C8001"), R("E1..F4"), R("H1..I1"));
    state.PauseTiming();
    UndoLastCommand();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_QueryOfEightThousandRecords)->Unit(benchmark::kMillisecond);

// 8,192 rows, the constant and the powers x..x^5.
void BM_FitTermsSixTerms(benchmark::State& state) {
  FreshSheet sheet;
  for (uint32_t row = 0; row < 8192; ++row) {
    const double x = double(row) / 8192.0;
    StoreNumber(CellAt(GetOrCreateCell(row, 0)), x);
    StoreNumber(CellAt(GetOrCreateCell(row, 1)), 1 + x - 2 * x * x * x + 0.001 * double(row % 7));
  }
  for (auto _ : state) {
    FitTerms(R("A1..A8192"), R("B1..B8192"), CellAddress{3, 0}, {0, 1, 2, 3, 4, 5});
    state.PauseTiming();
    UndoLastCommand();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FitTermsSixTerms)->Unit(benchmark::kMillisecond);

}  // namespace
