// fuzz/formula_code_fuzz.cpp — arbitrary code buffers to the walker, the conversions and the
// text builder.
//
// The first two bytes pick the formula's own cell; the rest is code in file form, as a worksheet
// file carries it. In-memory operands hold pool handles, which no file can be trusted with, so the
// code is printed as file form, then converted to the in-memory form (every operand then names a
// real cell record or nothing) and printed again, checked for balance and converted back. A reference to nothing
// prints "ERR", so the text survives a trip to the file form and back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/names.h"
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
  AddLibraryFunction("TWICE", "@A(1)*2", 1);
  AddLibraryFunction("SEVEN", "7", 0);
  AddSheetFunction("TWICE", "@A(1)*2", 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  SetUpEngineOnce();
  ClearAllCells();
  const uint16_t row = uint16_t(data[0] * 32 + (data[1] & 31));  // 0..8191
  const uint16_t column = uint16_t(data[1] * 7 % 256);
  data += 2;
  size -= 2;

  // The raw bytes, in a block of exactly their size so that any over-read is caught.
  std::unique_ptr<uint8_t[]> raw(new uint8_t[size]);
  std::memcpy(raw.get(), data, size);
  DumpCode(raw.get(), size, CodeForm::kFile);
  CodeIsValid(raw.get(), size);

  // A cell's code block holds byte 0 + 1 bytes; anything shorter is padded as the reader would.
  uint8_t code[kMaxCodeSize] = {};
  std::memcpy(code, data, size < sizeof code ? size : sizeof code);
  const size_t codeSize = CodeBufferSize(code);
  const std::string fileText = FileFormFormulaText(code, codeSize, row, column);
  if (!CodeToCellForm(code, row, column)) return 0;

  // Printing the file form directly and printing the converted code agree.
  std::string text = FormulaText(code, codeSize);
  if (text != fileText) std::abort();
  DumpCode(code, codeSize, CodeForm::kCell);
  CodeIsBalanced(code, codeSize);
  CallsUserFunction(code, codeSize);
  if (text.size() > 240) std::abort();

  uint8_t file[kMaxCodeSize];
  if (!CodeToFileForm(code, row, column, file)) std::abort();  // it walked once already
  if (!CodeToCellForm(file, row, column)) std::abort();
  if (FormulaText(file, CodeBufferSize(file)) != text) std::abort();

  std::string recompiled;
  Compile(text, &recompiled);
  return 0;
}
