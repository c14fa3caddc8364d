// bench/print_bench.cpp — page layout, the page listing, print to text and PDF pages.
//
// The sheet: 8,192 rows by 20 columns (A..T), numbers in even columns and labels in odd ones,
// and a header with codes. Timed: the layout and listing of A1..T8192 as the batch tool's
// --pages does it, the text of the whole range as PRINTFILE writes it, and 50 pages as the
// batch tool's PDF printer writes them.
#include <benchmark/benchmark.h>

#include <string>

#include "commands/engine_start.h"
#include "commands/worksheet_files.h"
#include "core/address.h"
#include "core/entry.h"
#include "core/global_options.h"
#include "files/print_layout.h"

namespace {

constexpr uint32_t kRows = 8192;
constexpr uint32_t kColumns = 20;

struct Sheet {
  Sheet() {
    ResetEngineState();
    NewWorksheet("BENCH.WKS");
    for (uint32_t row = 0; row < kRows; ++row) {
      for (uint32_t column = 0; column < kColumns; ++column) {
        EnterCell(column % 2 ? "'text " + std::to_string(row) : std::to_string(row * 3 + column),
                  row, column);
      }
    }
    Options().setHeader("Page #|^F|^D");
  }
  ~Sheet() { ResetEngineState(); }
};

void BM_PageListing(benchmark::State& state) {
  Sheet sheet;
  const CellRange range = MakeRange(0, 0, kColumns - 1, kRows - 1);
  for (auto _ : state) {
    const PageLayout layout = LayOutPages(SheetPageSetup(range), BatchPageSize());
    benchmark::DoNotOptimize(PageListingText(layout));
  }
}
BENCHMARK(BM_PageListing)->Unit(benchmark::kMillisecond);

void BM_PrintRangeText(benchmark::State& state) {
  Sheet sheet;
  const CellRange range = MakeRange(0, 0, kColumns - 1, kRows - 1);
  for (auto _ : state) benchmark::DoNotOptimize(PrintRangeText(range));
}
BENCHMARK(BM_PrintRangeText)->Unit(benchmark::kMillisecond);

void BM_FiftyPdfPages(benchmark::State& state) {
  Sheet sheet;
  // 11 columns and 59 rows a page: 50 pages are rows 1..2950 of A..K.
  const CellRange range = MakeRange(0, 0, 10, 59 * 50 - 1);
  for (auto _ : state) {
    const PageLayout layout = LayOutPages(SheetPageSetup(range), BatchPageSize());
    benchmark::DoNotOptimize(PrintedPagesPdf(layout, BatchPageSize()));
    state.counters["pages"] = double(layout.pages.size());
  }
}
BENCHMARK(BM_FiftyPdfPages)->Unit(benchmark::kMillisecond);

}  // namespace
