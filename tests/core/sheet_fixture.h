// tests/core/sheet_fixture.h — a clean engine with one open worksheet for core tests.
#pragma once

#include <gtest/gtest.h>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/names.h"
#include "core/pool.h"
#include "core/worksheets.h"
#include "engine_test_layers.h"
#include "platform/headless/headless_platform.h"

class SheetTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetEngineState();
    UseTestEngineLayers();
    sheet_ = CreateWorksheetWindow("SHEET1.WKS");
    ASSERT_NE(sheet_, 0);
    ActivateWorksheet(sheet_);
  }
  void TearDown() override {
    ResetEngineState();
  }
  SlotIndex sheet_ = 0;
};
