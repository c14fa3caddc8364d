// fuzz/compile_fuzz.cpp — arbitrary text to the formula compiler.
//
// The first byte picks the separators; the rest is formula text. Whatever compiles must be valid,
// balanced code whose text compiles again; one more trip through text must then change nothing
// (the first trip may shorten a constant to the 11 digits that text shows). Text that does not
// compile must give a message and a position inside the text, and leave the sheet empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/names.h"
#include "core/number_settings.h"
#include "core/pool.h"
#include "core/worksheets.h"
#include "formula/compiler.h"
#include "formula/formula_code.h"
#include "formula/cell_code.h"
#include "formula/formula_text.h"
#include "formula/function_library.h"
#include "formula_fuzz_engine.h"

namespace {

void SetUpEngineOnce() {
  static bool done = false;
  if (done) return;
  done = true;
  SetUpFormulaEngine();
  DefineName("1ST", MakeRange(3, 3, 3, 3));
  AddLibraryFunction("TWICE", "@A(1)*2", 1);
  AddLibraryFunction("SEVEN", "7", 0);
}

std::string Checked(const std::string& code) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(code.data());
  if (!CodeIsValid(p, code.size()) || !CodeIsBalanced(p, code.size())) std::abort();
  if (size_t(p[0]) + 1 != code.size()) std::abort();
  return FormulaText(code);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  SetUpEngineOnce();
  ClearAllCells();
  ResetSheetFunctions();
  NumberSettings& settings = NumberFormatSettings();
  settings.decimalSeparator = (data[0] & 1) ? ',' : '.';
  settings.argumentSeparator = (data[0] & 2) ? ';' : ',';
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  std::string code;
  if (!Compile(text, &code)) {
    // Every failure says what went wrong, at a place inside the text, and leaves no cell behind.
    const int at = CompilerErrorPosition();
    if (CompilerMessage().empty() || at < -1 || at > int(text.size())) std::abort();
    for (int row = 0; row < kRowCount; ++row) {
      if (RowHead(row) != 0) std::abort();
    }
    if (LastRow() != 0 || LastColumn() != 0) std::abort();
    return 0;
  }
  std::string printed = Checked(code);
  if (printed == "OVERFLOW") return 0;
  std::string second;
  if (!Compile(printed, &second)) std::abort();
  std::string printedAgain = Checked(second);
  if (printedAgain == "OVERFLOW") return 0;
  std::string third;
  if (!Compile(printedAgain, &third)) std::abort();
  if (third != second || FormulaText(third) != printedAgain) std::abort();
  return 0;
}
