// formula/cell_code.cpp — a formula cell's code in file form, and hex listing of bytes.
//
// Reads: cell records and their code. Writes: nothing.
#include "formula/cell_code.h"

#include <cstdio>

#include "formula/compiler.h"
#include "formula/formula_code.h"
#include "formula/formula_text.h"

bool CellCodeFileForm(CellHandle cell, std::string* tokens) {
  if (!cell) return false;
  const CellRecord* c = CellAt(cell);
  if (!KindIsFormula(c->kind & kKindMask) || !c->text) return false;
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
