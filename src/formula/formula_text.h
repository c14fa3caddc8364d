// formula/formula_text.h — formula code back to formula text.
//
// The text is what editing, listing and copying as text show, and it compiles back to the same
// code. Cell operands print the current position of the cell record they name, so references
// follow their cells; a single cell or a whole range that a range name covers prints as the name.
// State: the text stack of the builder (formula_text.cpp); reads cell records, range names, the
// sheet's user functions and the number settings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/cell_store.h"

// The text of formula code (in-memory form). "NOEND" when byte 0 is 240 or more, the byte it
// names is not the end marker or a token runs past it; "OVERFLOW" when the text would grow past
// 240 characters. A "+" is put in front unless the text begins with "(", "-" or "@".
std::string FormulaText(const uint8_t* code, size_t size);
inline std::string FormulaText(std::string_view code) {
  return code.empty() ? std::string("NOEND")
                      : FormulaText(reinterpret_cast<const uint8_t*>(code.data()), code.size());
}

// The text of file-form code for a formula at (row, column): operands are read as column and row
// words relative to that cell, and no cell record is made or read.
std::string FileFormFormulaText(const uint8_t* code, size_t size, uint16_t row, uint16_t column);

// Pops `n` texts off the builder's stack and gives them as "(a,b,c)" with the argument separator;
// "" for n of 0. Argument text of 240 characters or more flags an overflow. Used while a formula
// is being printed.
std::string ArgumentList(int n);

// The text of one in-memory cell operand: "ERR" for a reference to nothing or a position off the
// grid; for `kind` 1 (a lone cell operand) the first range name that covers exactly this cell when
// the operand's flags are both clear ("NAME") or both set ("$NAME"); otherwise the cell address
// with "$" before its absolute parts. `kind` 2 (a corner of a range operand) always gives the
// address. `printedName` (may be null) tells whether a name was printed.
std::string OperandText(uint32_t operand, int kind, bool* printedName = nullptr);

// The text of a range operand (`ending` corner first, as in the code): the first range name whose
// range is exactly this one, when all four flags are clear or all set; else "A1..B5".
std::string RangeOperandText(uint32_t ending, uint32_t starting, bool* printedName = nullptr);

// What a cell holds, as commands show or copy it: a formula's text, a number's general text, an
// integer in decimal, a label with its prefix; "" for a blank cell or no cell.
std::string CellContentsText(CellHandle cell);

// The formula text of a formula cell (either formula kind); "" for any other cell.
std::string CellFormulaText(CellHandle cell);
