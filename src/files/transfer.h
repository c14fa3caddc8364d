// files/transfer.h — text and dBase tables into and out of the current worksheet.
//
// Imports enter what they read through cell entry (core/entry.h), so protection, undo notes and
// the links of dependents are those of typed entries; the caller (commands/transfer_commands.h)
// wraps each import in one undo group and recalculates. Exports write through the one atomic
// writer (files/atomic_file.h): a failed export keeps the previous file.
// Reads and writes: the current worksheet (cells, column widths), the error flag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/address.h"

enum class TextImportMode : uint8_t {
  kLabels = 1,     // each line one label, one line per row
  kValues = 2,     // each line split into fields entered across the row as if typed
  kFileNames = 3,  // the names of the files matching the name's extension, one label a row
};

enum class TextExportMode : uint8_t {
  kQuoted = 2,  // every field in double quotes, a '"' inside doubled
  kComma = 3,   // fields quoted only when they hold "," or '"'
};

// Imports the text file `fileName` at (row, column). A missing file reports "File Not Found! "
// with a line break and the name. A piece that does not compile as a formula is entered as a
// label; a protected cell ("Protected Cell") or running past column 255 stops the import with
// the error flag raised. Gives false when the import stopped early.
bool ImportText(std::string_view fileName, uint32_t row, uint32_t column, TextImportMode mode);
// The same from bytes in memory (tests, fuzzing); mode kFileNames is not available here.
bool ImportTextBytes(std::string_view bytes, uint32_t row, uint32_t column, TextImportMode mode);

// The text a cell of the current sheet exports as (empty for no cell or a blank one): numbers in
// the general format, errors as ERR, labels and string results without prefix, runs of blanks
// made one blank and one leading and one trailing blank removed.
std::string CellExportText(uint32_t row, uint32_t column);
// The bytes of `range` exported in `mode` (UTF-8, LF line ends).
std::string TextExportBytes(const CellRange& range, TextExportMode mode);
// Writes them as `fileName`; "Write Error" (error flag raised, old file kept) on failure.
bool ExportText(std::string_view fileName, const CellRange& range, TextExportMode mode);

// Which records a dBase import takes: those after the first `start`, at most `count` (0: all,
// and never more than 8192).
struct DbaseSelection {
  uint32_t start = 0;
  uint32_t count = 0;
};

// Imports the dBase table `fileName` at (row, column): the field names in the first row, one
// record a row below (deleted records leave no row). Memo fields read the .dbt file beside the
// table (either case of the extension). Messages: "File Not Found! " and the name, "Unable to
// Read" (nothing entered when the header or the field list is bad; the complete records kept
// when the table is cut short), "Field count Exceeds 256". Gives false on any of them.
bool ImportDbase(std::string_view fileName, uint32_t row, uint32_t column, DbaseSelection selection);
// The same from bytes in memory (tests, fuzzing); `memo` holds the .dbt file or is empty.
bool ImportDbaseBytes(std::string_view table, std::string_view memo, uint32_t row, uint32_t column,
                      DbaseSelection selection);

// The dBase table of `range`: its first row names the fields, the rows below are the records.
std::string DbaseExportBytes(const CellRange& range);
// Writes it as `fileName`; "Write Error" (error flag raised, old file kept) on failure.
bool ExportDbase(std::string_view fileName, const CellRange& range);
