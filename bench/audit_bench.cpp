// bench/audit_bench.cpp — the dependents tree and the cross-reference list over 106,496
// formulas.
//
// The sheet: numbers in A1..A8192 and formulas in B..N of the same rows, each reading the cell to
// its left and $A$1 (+A5+$A$1). A1 thus has every formula as a dependent: its tree reaches the
// line limit at once, and its cross-reference entry runs over thousands of continuation lines.
#include <benchmark/benchmark.h>

#include <string>

#include "commands/audit.h"
#include "commands/engine_start.h"
#include "commands/worksheet_files.h"
#include "core/address.h"
#include "core/entry.h"

namespace {

constexpr uint32_t kRows = 8192;
constexpr uint32_t kFormulaColumns = 13;

struct Sheet {
  Sheet() {
    ResetEngineState();
    NewWorksheet("BENCH.WKS");
    for (uint32_t row = 0; row < kRows; ++row) {
      EnterCell(std::to_string(row), row, 0);
      for (uint32_t column = 1; column <= kFormulaColumns; ++column) {
        EnterCell("+" + ShortCellText(uint16_t(row), uint16_t(column - 1)) + "+$A$1", row, column);
      }
    }
  }
  ~Sheet() { ResetEngineState(); }
};

void BM_TreeOfACellEveryFormulaReadsToTheLineLimit(benchmark::State& state) {
  Sheet sheet;
  for (auto _ : state) {
    const AuditTree tree = BuildAuditTree(0, 0, 20);
    benchmark::DoNotOptimize(tree.lines.data());
  }
}
BENCHMARK(BM_TreeOfACellEveryFormulaReadsToTheLineLimit)->Unit(benchmark::kMillisecond);

void BM_TreeDownOneRowChain(benchmark::State& state) {
  Sheet sheet;
  for (auto _ : state) {
    const AuditTree tree = BuildAuditTree(4000, 0, 20);
    benchmark::DoNotOptimize(tree.lines.data());
  }
}
BENCHMARK(BM_TreeDownOneRowChain)->Unit(benchmark::kMillisecond);

void BM_CrossReferenceReportOfTheWholeSheet(benchmark::State& state) {
  Sheet sheet;
  const CellRange all = MakeRange(0, 0, kFormulaColumns, kRows - 1);
  for (auto _ : state) {
    const std::vector<std::string> report = XRefReport(CrossReference(all));
    benchmark::DoNotOptimize(report.data());
  }
}
BENCHMARK(BM_CrossReferenceReportOfTheWholeSheet)->Unit(benchmark::kMillisecond);

void BM_CountCellKinds(benchmark::State& state) {
  Sheet sheet;
  for (auto _ : state) benchmark::DoNotOptimize(CountCellKinds().total);
}
BENCHMARK(BM_CountCellKinds)->Unit(benchmark::kMillisecond);

}  // namespace
