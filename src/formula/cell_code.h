// formula/cell_code.h — a formula cell's code as a worksheet file carries it, for listings.
//
// The file-form code of a cell serves the batch tool's code listing. State: none; reads cell
// records and their code.
#pragma once

#include <string>
#include <string_view>

#include "core/cell_store.h"

// The tokens of a formula cell's code in file form relative to the cell, from byte 2 through the
// end marker, as a FORMULA record carries them. False for a cell without formula code or with
// code that does not convert.
bool CellCodeFileForm(CellHandle cell, std::string* tokens);

// Bytes as upper-case hex pairs separated by blanks ("02 FF BF").
std::string HexBytes(std::string_view bytes);
