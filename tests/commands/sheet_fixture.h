// tests/commands/sheet_fixture.h — a fresh engine with one worksheet, and cell access by
// address text, for the tests of the data and label commands.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "commands/commands.h"
#include "commands/engine_start.h"
#include "commands/worksheet_files.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "formula/formula_text.h"

class SheetFixture : public testing::Test {
 protected:
  void SetUp() override {
    ResetEngineState();
    ASSERT_NE(NewWorksheet("SHEET1.WKS"), 0);
  }
  void TearDown() override { ResetEngineState(); }

  static void Enter(const std::string& ref, const std::string& text) {
    const ParsedCell p = ParseCellRef(ref);
    ASSERT_TRUE(EnterIntoCell(p.row, p.column, text).Done()) << ref << " " << text;
  }
  static std::string Text(const std::string& ref) {
    const ParsedCell p = ParseCellRef(ref);
    return CellContentsText(GetCell(p.row, p.column));
  }
  // The cell's number, or -1 when there is no cell.
  static double Number(const std::string& ref) {
    const ParsedCell p = ParseCellRef(ref);
    const CellHandle h = GetCell(p.row, p.column);
    return h ? CellNumber(CellAt(h)) : -1;
  }
};
