// tests/core/core_fixture.h — a clean pool, address state and platform with one bare current sheet.
//
// The sheet is made by hand (a zero-filled row table, a layout and a fresh heap) so that the cell
// store can be tested without the open-worksheet table.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/pool.h"
#include "core/sheet_layout.h"
#include "core/sheet_state.h"
#include "engine_test_layers.h"
#include "platform/headless/headless_platform.h"

class CoreTest : public testing::Test {
 protected:
  void SetUp() override { ResetCore(); }
  void TearDown() override {
    CurrentSheet() = SheetState{};
    PoolReset();
  }

  // Starts again from an empty engine; `maxPages` caps the pool (0: sized from memory).
  void ResetCore(uint32_t maxPages = 0) {
    ResetEngineState(maxPages);
    UseTestEngineLayers();
    CurrentSheet() = SheetState{};
    rowTable_.reset(new PoolHandle[kRowTableSlots]());
    layout_ = std::make_unique<SheetLayout>();
    CurrentSheet().rowTable = rowTable_.get();
    CurrentSheet().layout = layout_.get();
    heap_ = PoolNewHeap();
    PoolSetHeap(heap_);
  }

  // Asserts that the pool and the row chains are sound.
  static void ExpectSound() {
    std::string why;
    EXPECT_TRUE(CheckPoolIntegrity(&why)) << why;
    EXPECT_TRUE(CheckRowChains(&why)) << why;
  }

  std::unique_ptr<PoolHandle[]> rowTable_;
  std::unique_ptr<SheetLayout> layout_;
  uint16_t heap_ = 0;
};
