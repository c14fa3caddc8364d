// tests/formula/evaluator_fixture.h — a clean engine whose formulas compute.
//
// Adds the evaluator's resets to the formula fixture, and small helpers that enter
// text into cells by address and read their values back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/entry.h"
#include "core/global_options.h"
#include "core/messages.h"
#include "formula/evaluator.h"
#include "formula/recalc.h"
#include "formula_fixture.h"

class EvaluatorTest : public FormulaTest {
 protected:
  void SetUp() override {
    FormulaTest::SetUp();
    ResetEvaluatorState();
    ResetRecalcState();
    ResetEntryState();
  }
  void TearDown() override {
    ResetEvaluatorState();
    ResetRecalcState();
    FormulaTest::TearDown();
  }

  static CellHandle At(std::string_view ref) {
    ParsedCell p = ParseCellRef(ref);
    return GetCell(p.row, p.column);
  }
  static void Enter(std::string_view ref, std::string_view text) {
    ParsedCell p = ParseCellRef(ref);
    EnterCell(text, p.row, p.column);
  }
  // The number a cell holds (kinds 1..3), or NaN for anything else.
  static double Number(std::string_view ref) {
    CellHandle h = At(ref);
    if (!h) return std::nan("");
    CellValue v = ValueOfCell(h);
    return v.kind == ValueKind::kNumber ? v.number : std::nan("");
  }
  static bool IsErr(std::string_view ref) {
    CellHandle h = At(ref);
    return h && (CellAt(h)->kind & kKindErrorMark);
  }
  // What a cell shows, for comparisons: "ERR", the number in shortest form, or the string in
  // quotes.
  static std::string Shown(std::string_view ref) {
    CellHandle h = At(ref);
    if (!h) return "<none>";
    CellValue v = ValueOfCell(h);
    if (v.error) return "ERR";
    if (v.kind == ValueKind::kString) return "\"" + std::string(v.text) + "\"";
    return Shown(v.number);
  }
  static std::string Shown(const EvalResult& r) {
    if (!r.compiled) return "NOCOMPILE";
    if (r.error) return "ERR";
    if (r.isString) return "\"" + r.text + "\"";
    return Shown(r.number);
  }
  static std::string Shown(double d) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", d);
    return buffer;
  }
  static void ExpectSound() {
    std::string why;
    EXPECT_TRUE(CheckPoolIntegrity(&why)) << why;
    EXPECT_TRUE(CheckDependencyLinks(&why)) << why;
  }
};
