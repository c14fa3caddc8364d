// bench/core_bench.cpp — cell creation and lookup in the cell store, and pool bytes per cell.
//
// Each benchmark builds a bare current sheet (row table, layout, heap) on a freshly reset pool.
// 500,000 cells are 8192 rows of 61 columns.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "core/cell_store.h"
#include "core/pool.h"
#include "core/sheet_layout.h"
#include "core/sheet_state.h"

namespace {

constexpr uint32_t kColumnsUsed = 61;
constexpr uint32_t kCells = 8192 * kColumnsUsed;  // 499,712

struct BareSheet {
  std::unique_ptr<PoolHandle[]> rowTable{new PoolHandle[kRowTableSlots]()};
  SheetLayout layout;
  BareSheet() {
    PoolReset();
    CurrentSheet() = SheetState{};
    CurrentSheet().rowTable = rowTable.get();
    CurrentSheet().layout = &layout;
    PoolSetHeap(PoolNewHeap());
  }
  ~BareSheet() {
    CurrentSheet() = SheetState{};
    PoolReset();
  }
};

struct Position {
  uint32_t row;
  uint32_t column;
};

std::vector<Position> Positions(bool shuffled) {
  std::vector<Position> out;
  out.reserve(kCells);
  for (uint32_t row = 0; row < 8192; ++row) {
    for (uint32_t column = 0; column < kColumnsUsed; ++column) out.push_back({row, column});
  }
  if (shuffled) std::shuffle(out.begin(), out.end(), std::mt19937(42));
  return out;
}

void CreateCells(benchmark::State& state, bool shuffled) {
  const std::vector<Position> positions = Positions(shuffled);
  int64_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    {
      BareSheet sheet;
      const int64_t start = PoolFreeBytes();
      state.ResumeTiming();
      for (const Position& p : positions) {
        CellHandle h = GetOrCreateCell(p.row, p.column);
        if (!h) {
          state.SkipWithError("pool exhausted");
          break;
        }
        StoreNumber(CellAt(h), p.row * 0.5);
      }
      state.PauseTiming();
      bytes = start - PoolFreeBytes();
    }
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kCells);
  state.counters["pool_bytes_per_cell"] = double(bytes) / kCells;
  state.counters["pool_MB"] = double(bytes) / 1e6;
}

void BM_CreateCellsRowOrder(benchmark::State& state) { CreateCells(state, false); }
void BM_CreateCellsRandomOrder(benchmark::State& state) { CreateCells(state, true); }

void BM_GetCellRandom(benchmark::State& state) {
  BareSheet sheet;
  for (const Position& p : Positions(false)) StoreNumber(CellAt(GetOrCreateCell(p.row, p.column)), 1);
  const std::vector<Position> probes = Positions(true);
  size_t i = 0;
  int64_t found = 0;
  for (auto _ : state) {
    const Position& p = probes[i];
    i = (i + 1) % probes.size();
    found += GetCell(p.row, p.column) != 0;
  }
  benchmark::DoNotOptimize(found);
  state.SetItemsProcessed(state.iterations());
}

void BM_PoolAllocFreeMixed(benchmark::State& state) {
  BareSheet sheet;
  std::mt19937 rng(7);
  std::vector<std::pair<PoolHandle, uint32_t>> live;
  live.reserve(20000);
  for (auto _ : state) {
    if (live.size() < 10000 || rng() % 2) {
      uint32_t size = 8 + rng() % 120;
      live.emplace_back(PoolAlloc(size), size);
    } else {
      size_t k = rng() % live.size();
      PoolFree(live[k].first, live[k].second);
      live[k] = live.back();
      live.pop_back();
    }
  }
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_CreateCellsRowOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateCellsRandomOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetCellRandom);
BENCHMARK(BM_PoolAllocFreeMixed);
