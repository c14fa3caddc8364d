// fuzz/macro_line_fuzz.cpp — arbitrary bytes to the macro line translator.
//
// Macro lines come from cells of any worksheet file and from the command line. Whatever the
// bytes, translation must finish without reading past the text, every step must be a known word
// or key, and no repeat count may go past 8192.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "formula/evaluator.h"
#include "formula/functions_math.h"
#include "formula/functions_sheet.h"
#include "formula_fuzz_engine.h"
#include "macros/translator.h"
#include "macros/vocabulary.h"

namespace {

void SetUpEngineOnce() {
  static bool done = false;
  if (done) return;
  done = true;
  SetUpFormulaEngine();
  DefineName("SUB", MakeRange(0, 9, 0, 9));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetUpEngineOnce();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const MacroLine line = TranslateMacroLine(text, SheetLineContext());
  size_t braces = 0;
  for (char c : text) braces += c == '{';
  size_t keys = 0;
  for (const MacroStep& step : line) {
    switch (step.kind) {
      case MacroStep::Kind::kKeys:
        for (char c : step.keys) {
          const uint8_t b = static_cast<uint8_t>(c);
          if (b < 0x20 && MacroKeyName(b).empty()) std::abort();
        }
        keys += step.keys.size();
        break;
      case MacroStep::Kind::kCommand:
        if (step.word < 0 || step.word >= MacroWordCount()) std::abort();
        if (MacroWordAt(step.word).kind != MacroWordKind::kCommand) std::abort();
        break;
      case MacroStep::Kind::kUnknown:
        break;
    }
  }
  if (keys > size + braces * static_cast<size_t>(kMaxRepeatCount)) std::abort();
  if (line.size() > size + braces * static_cast<size_t>(kMaxRepeatCount)) std::abort();
  DumpMacroLine(line);
  return 0;
}
