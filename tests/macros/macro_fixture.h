// tests/macros/macro_fixture.h — a clean engine with one open worksheet for macro tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/messages.h"
#include "core/names.h"
#include "core/number_settings.h"
#include "core/pool.h"
#include "core/worksheets.h"
#include "formula/compiler.h"
#include "formula/evaluator.h"
#include "commands/engine_start.h"
#include "formula/formula_text.h"
#include "formula/function_library.h"
#include "formula/functions_math.h"
#include "formula/functions_sheet.h"
#include "macros/interpreter.h"
#include "platform/headless/headless_platform.h"

class MacroTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetMacroState();
    ResetEngineState();
    TheHeadlessPlatform().realDelays = false;
    sheet_ = CreateWorksheetWindow("SHEET1.WKS");
    ASSERT_NE(sheet_, 0);
    ActivateWorksheet(sheet_);
  }
  void TearDown() override {
    ResetMacroState();
    ResetEngineState();
  }

  static void Enter(std::string_view cell, std::string_view text) {
    const ParsedCell c = ParseCellRef(cell);
    EnterCell(text, c.row, c.column);
  }
  // Writes macro lines as labels down from `cell`.
  static void Lines(std::string_view cell, std::initializer_list<std::string_view> lines) {
    ParsedCell c = ParseCellRef(cell);
    for (std::string_view line : lines) {
      EnterCell("'" + std::string(line), c.row, c.column);
      ++c.row;
    }
  }
  static void Run(std::string_view cell) {
    const ParsedCell c = ParseCellRef(cell);
    EXPECT_EQ(RunMacroAt(c.column, c.row), MacroProgress::kEnded);
  }
  static void RunText(std::string_view text) {
    EXPECT_EQ(RunMacroText(text), MacroProgress::kEnded);
  }
  // What a cell holds as editing shows it ("" for none).
  static std::string Contents(std::string_view cell) {
    const ParsedCell c = ParseCellRef(cell);
    return CellContentsText(GetCell(c.row, c.column));
  }
  // The value of a cell as text: the number's shortest text, a label's text, "ERR".
  static std::string Value(std::string_view cell) {
    const ParsedCell c = ParseCellRef(cell);
    const CellHandle h = GetCell(c.row, c.column);
    if (!h) return "";
    const uint8_t kind = KindOf(h) & 0x0F;
    if (kind == 4) return PoolText(CellAt(h)->text).substr(1);
    if (kind >= 6) return "ERR";
    if (KindIsNumeric(kind)) {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.15g", CellNumber(CellAt(h)));
      return buffer;
    }
    return PoolText(CellStringResult(CellAt(h)));
  }
  // The messages shown, joined by "|".
  static std::string Messages() {
    std::string out;
    for (const std::string& m : TheHeadlessPlatform().messages) {
      if (!out.empty()) out += "|";
      out += m;
    }
    return out;
  }

  SlotIndex sheet_ = 0;
};
