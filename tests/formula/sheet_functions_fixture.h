// tests/formula/sheet_functions_fixture.h — a clean engine with the function library installed,
// for the tests of the financial, date, string, lookup, database and information functions.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>

#include "evaluator_fixture.h"
#include "formula/functions_math.h"
#include "formula/functions_sheet.h"

class SheetFunctionTest : public EvaluatorTest {
 protected:
  void SetUp() override {
    EvaluatorTest::SetUp();
    RegisterMathFunctions();
    RegisterSheetFunctions();
    ResetMathFunctionState();
    ResetSheetFunctionState();
  }
  void TearDown() override {
    ResetSheetFunctionState();
    EvaluatorTest::TearDown();
  }


 public:
  // What formula text evaluates to, shown as EvaluatorTest::Shown does ("ERR", a number, or a
  // string in quotes).
  static std::string Eval(std::string_view text) { return Shown(EvaluateText(text)); }
  static std::string ShownResult(const EvalResult& r) { return Shown(r); }
  // The number formula text evaluates to; NaN for ERR, a string or a compile error.
  static double Value(std::string_view text) {
    EvalResult r = EvaluateText(text);
    return r.compiled && !r.error && !r.isString ? r.number : std::nan("");
  }
};

// One table row: formula text and what it evaluates to.
struct TextCase {
  int line;
  const char* formula;
  const char* shown;  // as Eval shows it: "ERR", a number, or a string in double quotes
};

inline void ExpectShown(const TextCase* cases, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    SCOPED_TRACE(testing::Message() << "case at line " << cases[i].line << ": "
                                    << cases[i].formula);
    EXPECT_EQ(SheetFunctionTest::Eval(cases[i].formula), cases[i].shown);
  }
}

// EXPECT_NEAR with a tolerance relative to the expected value (absolute for 0).
#define EXPECT_RELATIVE(actual, expected, tolerance)                                       \
  EXPECT_NEAR((actual), (expected),                                                        \
              (expected) == 0 ? (tolerance) : std::fabs(double(expected)) * (tolerance))
