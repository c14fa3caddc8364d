// formula/functions_sheet.h — the financial, date, string, lookup, database and information
// @-functions.
//
// `RegisterSheetFunctions` installs their routines in the evaluator's dispatch table. Besides
// the routines, this module keeps two pieces of state that other layers fill:
//   - the I/O result of the macro file commands, which @IORESULT reads and resets;
//   - the link table of each worksheet: every @LINK registers its file and cell here, and the
//     link-update command stores the values it reads from the linked files, which @LINK then
//     gives back.
// State: the link tables and the I/O result (functions_info.cpp, functions_lookup.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/worksheets.h"

// Installs the routine of every function of this module (idempotent).
void RegisterSheetFunctions();

// Forgets the I/O result and every link table (start-up and tests). Registered routines stay.
void ResetSheetFunctionState();

// --- @IORESULT ---------------------------------------------------------------------------------

// The macro file commands store the result code of each file operation here (0: success).
void SetIoResult(int code);
// The stored code, without resetting it (@IORESULT resets it when it reads it).
int PeekIoResult();

// --- the link table of @LINK -------------------------------------------------------------------

// One cell of a linked file. `page` counts from 0 (A), `row` and `column` from 0.
struct LinkedCell {
  uint16_t page = 0;
  uint16_t row = 0;
  uint16_t column = 0;
  bool stored = false;    // a value has been stored by the link-update command
  bool isString = false;  // the stored value is a string
  double number = 0;
  std::string text;
};

// The linked cells of one file, in order of page, row and column (each cell once).
struct LinkedFileEntry {
  std::string fileName;  // as written in the first @LINK that named it
  std::vector<LinkedCell> cells;
};

// The link table of the worksheet of entry `sheet` (one entry per file, file names compared
// ignoring case), in the order the files were first linked. Empty for a sheet without links.
const std::vector<LinkedFileEntry>& LinkTable(SlotIndex sheet);
// Stores the value read for a linked cell by the link-update command. False when the table of
// `sheet` holds no such file or cell.
bool StoreLinkedNumber(SlotIndex sheet, std::string_view fileName, uint16_t page, uint16_t row,
                       uint16_t column, double number);
bool StoreLinkedString(SlotIndex sheet, std::string_view fileName, uint16_t page, uint16_t row,
                       uint16_t column, std::string_view text);
// Drops the link table of one worksheet (when its last window closes).
void ForgetLinkTable(SlotIndex sheet);

// Reads the text of a @LINK argument: file name, ">", an optional page prefix of one or two
// letters and ":", then a cell address ("$" markers allowed). False for text without ">" or with
// an address that is not one. Exposed for the link-update command and the links prompt.
bool ParseLinkText(std::string_view text, std::string* fileName, uint16_t* page, uint16_t* row,
                   uint16_t* column);
