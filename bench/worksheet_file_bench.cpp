// bench/worksheet_file_bench.cpp — speed of loading and saving worksheet files.
//
// Files are generated in memory: numbers only (10,000, 100,000 and 802,816 cells, the last 8192
// rows by 98 columns, once also written column by column), 100,000 numbers with 100,000 formulas +A1*2+1, and a chain of 100,000
// formulas each adding 1 to the cell before it. Loading includes the conversion of the formulas
// to their in-memory form, their linking and the recalculation, as in the programs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/cell_store.h"
#include "commands/engine_start.h"
#include "core/names.h"
#include "core/pool.h"
#include "core/worksheets.h"
#include "core/sheet_extras.h"
#include "files/worksheet_file.h"
#include "formula/formula_code.h"
#include "formula/recalc.h"
#include "platform/headless/headless_platform.h"

namespace {

void FreshEngine() {
  ResetEngineState();
  ActivateWorksheet(CreateWorksheetWindow("BENCH.WKS"));
}

void PutFormula(uint16_t row, uint16_t column, const std::vector<uint8_t>& tokens, double value) {
  CellRecord* c = CellAt(GetOrCreateCell(row, column));
  uint8_t code[kMaxCodeSize] = {};
  code[0] = uint8_t(tokens.size() + 1);
  std::memcpy(code + 2, tokens.data(), tokens.size());
  SetCellTextBytes(c, code);
  c->kind = uint8_t(CellKind::kFormula) | kKindFileForm;
  SetCellDouble(c, value);
}

enum Kind { kNumbers, kNumbersByColumn, kFormulas, kChain };

// A file of `count` numbers in 8192 rows of as many columns as needed, written column by column
// as some programs do (our own writer goes row by row).
std::vector<uint8_t> NumbersByColumn(int count) {
  std::vector<uint8_t> out;
  auto word = [&out](uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
  };
  word(0x00);
  word(2);
  word(0x0404);
  const int columns = std::max(10, (count + 8191) / 8192);
  const int rows = (count + columns - 1) / columns;
  for (int column = 0, made = 0; column < columns; ++column) {
    for (int row = 0; row < rows && made < count; ++row, ++made) {
      // The same values as the row-ordered file holds at these positions.
      const double value = (row * columns + column) * 0.5 + 0.25;
      word(0x0E);
      word(13);
      out.push_back(0xFF);
      word(uint16_t(column));
      word(uint16_t(row));
      uint8_t bytes[8];
      std::memcpy(bytes, &value, 8);
      out.insert(out.end(), bytes, bytes + 8);
    }
  }
  word(0x01);
  word(0);
  return out;
}

// Fills the current sheet; gives the number of cells.
int64_t Fill(Kind kind, int count) {
  if (kind == kNumbers) {
    const int columns = std::max(10, (count + 8191) / 8192);
    for (int i = 0; i < count; ++i) {
      StoreNumber(CellAt(GetOrCreateCell(uint32_t(i / columns), uint32_t(i % columns))), i * 0.5 + 0.25);
    }
    return count;
  }
  if (kind == kFormulas) {
    // Column A numbers, column B +A*2+1, in blocks of 8192 rows.
    const std::vector<uint8_t> code = {0x01, 0xFF, 0xBF, 0x00, 0x80, 0x05, 2, 0, 0x0B, 0x05, 1, 0, 0x09, 0x03};
    for (int i = 0; i < count; ++i) {
      const uint16_t row = uint16_t(i % 8192);
      const uint16_t block = uint16_t(i / 8192);
      StoreNumber(CellAt(GetOrCreateCell(row, 2u * block)), i);
      PutFormula(row, uint16_t(2 * block + 1), code, 2.0 * i + 1);
    }
    return 2 * int64_t(count);
  }
  StoreNumber(CellAt(GetOrCreateCell(0, 0)), 0);
  const std::vector<uint8_t> up = {0x01, 0x00, 0x80, 0xFF, 0xBF, 0x05, 1, 0, 0x09, 0x03};
  const std::vector<uint8_t> across = {0x01, 0xFF, 0xBF, 0xFF, 0x9F, 0x05, 1, 0, 0x09, 0x03};
  for (int i = 1; i < count; ++i) {
    const uint16_t row = uint16_t(i % 8192);
    PutFormula(row, uint16_t(i / 8192), row == 0 ? across : up, i);
  }
  return count;
}

std::vector<uint8_t> FileOf(Kind kind, int count, int64_t* cells) {
  if (kind == kNumbersByColumn) {
    *cells = count;
    return NumbersByColumn(count);
  }
  FreshEngine();
  *cells = Fill(kind, count);
  return WorksheetBytes();
}

void BM_Load(benchmark::State& state, Kind kind) {
  int64_t cells = 0;
  const std::vector<uint8_t> file = FileOf(kind, int(state.range(0)), &cells);
  for (auto _ : state) {
    state.PauseTiming();
    FreshEngine();
    state.ResumeTiming();
    benchmark::DoNotOptimize(LoadWorksheetBytes(file.data(), file.size()));
  }
  state.SetItemsProcessed(state.iterations() * cells);
  state.SetBytesProcessed(state.iterations() * int64_t(file.size()));
}

// Merge with Sum of the file onto a sheet that holds it already (every cell found and added to),
// then recalculation, as the merge command does.
void BM_MergeSum(benchmark::State& state, Kind kind) {
  int64_t cells = 0;
  const std::vector<uint8_t> file = FileOf(kind, int(state.range(0)), &cells);
  for (auto _ : state) {
    state.PauseTiming();
    FreshEngine();
    LoadWorksheetBytes(file.data(), file.size());
    state.ResumeTiming();
    benchmark::DoNotOptimize(MergeWorksheetBytes(file.data(), file.size(),
                                                 kMergeMode | kMergeValues | kMergeSum, 0, 0, ""));
    RecalculateAll();
  }
  state.SetItemsProcessed(state.iterations() * cells);
}

void BM_Save(benchmark::State& state, Kind kind) {
  int64_t cells = 0;
  const std::vector<uint8_t> file = FileOf(kind, int(state.range(0)), &cells);
  FreshEngine();
  LoadWorksheetBytes(file.data(), file.size());
  for (auto _ : state) benchmark::DoNotOptimize(WorksheetBytes());
  state.SetItemsProcessed(state.iterations() * cells);
}

BENCHMARK_CAPTURE(BM_Load, numbers, kNumbers)->Arg(10000)->Arg(100000)->Arg(802816)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Load, numbers_by_column, kNumbersByColumn)->Arg(802816)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Load, formulas, kFormulas)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Load, chain, kChain)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MergeSum, numbers, kNumbers)->Arg(802816)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Save, numbers, kNumbers)->Arg(802816)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Save, formulas, kFormulas)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
