// formula/formula_hooks.cpp — the formula layer's entry points for the worksheet core and tools.
//
// Writes: the core's engine hooks. Reads: cell records and their code.
#include "formula/formula_hooks.h"

#include <cstdio>

#include "core/engine_hooks.h"
#include "formula/compiler.h"
#include "formula/formula_code.h"
#include "formula/formula_text.h"

void InstallFormulaHooks() {
  EngineHooks& hooks = Hooks();
  hooks.codeToFileForm = CodeToFileForm;
  hooks.codeToCellForm = CodeToCellForm;
  hooks.compileFormula = CompileFormula;
  hooks.formulaText = CellFormulaText;
}

bool CellCodeFileForm(CellHandle cell, std::string* tokens) {
  if (!cell) return false;
  const CellRecord* c = CellAt(cell);
  if ((c->kind & kKindMask) > 1 || !c->text) return false;
  const uint8_t* code = PoolPtr(c->text);
  uint8_t out[kMaxCodeSize];
  if (c->kind & kKindFileForm) {
    std::copy(code, code + CodeBufferSize(code), out);
  } else if (!CodeToFileForm(code, c->row, c->column, out)) {
    return false;
  }
  if (!CodeIsValid(out, CodeBufferSize(out))) return false;
  tokens->assign(reinterpret_cast<const char*>(out + kCodeStart), out[0] + 1 - kCodeStart);
  return true;
}

std::string HexBytes(std::string_view bytes) {
  std::string out;
  char pair[4];
  for (unsigned char b : bytes) {
    std::snprintf(pair, sizeof pair, "%02X", b);
    if (!out.empty()) out += ' ';
    out += pair;
  }
  return out;
}
