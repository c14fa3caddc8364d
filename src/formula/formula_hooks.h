// formula/formula_hooks.h — the formula layer's entry points for the worksheet core and tools.
//
// The core reaches the compiler, the text builder and the operand conversion through its engine
// hooks; `InstallFormulaHooks` fills those at start-up. The file-form code of a cell serves the
// batch tool's code listing and the worksheet writer.
// State: the core's engine hooks (written once).
#pragma once

#include <string>
#include <string_view>

#include "core/cell_store.h"

// Sets the core's hooks for compiling, formula text and the conversion of code between the
// in-memory and the file form (Undo). Leaves the other hooks as they are.
void InstallFormulaHooks();

// The tokens of a formula cell's code in file form relative to the cell, from byte 2 through the
// end marker, as a FORMULA record carries them. False for a cell without formula code or with
// code that does not convert.
bool CellCodeFileForm(CellHandle cell, std::string* tokens);

// Bytes as upper-case hex pairs separated by blanks ("02 FF BF").
std::string HexBytes(std::string_view bytes);
