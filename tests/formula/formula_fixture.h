// tests/formula/formula_fixture.h — a clean engine with one open worksheet for formula tests.
//
// Starts from the engine reset (every layer installed, engine layers a test may replace).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/names.h"
#include "core/number_settings.h"
#include "core/pool.h"
#include "core/worksheets.h"
#include "formula/compiler.h"
#include "formula/formula_code.h"
#include "engine_test_layers.h"
#include "formula/cell_code.h"
#include "formula/formula_text.h"
#include "formula/function_library.h"
#include "platform/headless/headless_platform.h"

class FormulaTest : public testing::Test {
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

  // Compiles `text`; an empty string when it fails.
  static std::string Code(std::string_view text) {
    std::string code;
    return Compile(text, &code) ? code : std::string();
  }
  // The dump of the code of `text`, or "FAIL".
  static std::string Dumped(std::string_view text) {
    std::string code = Code(text);
    return code.empty() ? std::string("FAIL") : DumpCode(code, CodeForm::kCell);
  }
  // text -> code -> text, or "FAIL".
  static std::string Printed(std::string_view text) {
    std::string code = Code(text);
    return code.empty() ? std::string("FAIL") : FormulaText(code);
  }
  // Defines a range name from a range text.
  static void Name(std::string_view name, std::string_view range) {
    ASSERT_NE(DefineName(name, ParseRange(range)), 0);
  }

  SlotIndex sheet_ = 0;
};
