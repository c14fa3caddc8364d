// bench/settings_bench.cpp — the Properties dialog's format over A1..Z8192 of an empty sheet
// (212,992 blank cells created) and a width change over the columns A..IV.
//
// Each runs as the programs run it: one undo group, the operation, the sheet marked modified.
// The sheet is emptied with the timer paused, so that every iteration starts from an empty one.
#include <benchmark/benchmark.h>

#include "commands/cell_properties.h"
#include "commands/engine_start.h"
#include "commands/worksheet_files.h"
#include "core/address.h"
#include "core/cell_store.h"

namespace {

void BM_PropertiesFormatOverEmptyColumnsAToZ(benchmark::State& state) {
  ResetEngineState();
  CellProperties p;
  p.groups = kPropertyFormat;
  p.format = 0x02;
  const CellRange range = ParseRange("A1..Z8192");
  for (auto _ : state) {
    state.PauseTiming();
    ResetEngineState();
    NewWorksheet("BENCH.WKS");
    state.ResumeTiming();
    benchmark::DoNotOptimize(ApplyCellProperties(range, p));
  }
  ResetEngineState();
}
BENCHMARK(BM_PropertiesFormatOverEmptyColumnsAToZ)->Unit(benchmark::kMillisecond);

void BM_WidthOverColumnsAToIV(benchmark::State& state) {
  ResetEngineState();
  NewWorksheet("BENCH.WKS");
  const CellRange range = ParseRange("A1..IV1");
  int width = 10;
  for (auto _ : state) {
    SizeRequest request;
    request.size = width;
    benchmark::DoNotOptimize(SetColumnWidths(range, request));
    width = width == 10 ? 11 : 10;
  }
  ResetEngineState();
}
BENCHMARK(BM_WidthOverColumnsAToIV)->Unit(benchmark::kMicrosecond);

}  // namespace
