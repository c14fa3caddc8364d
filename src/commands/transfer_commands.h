// commands/transfer_commands.h — imports, exports and merges as worksheet commands.
//
// Each import and merge is one command (commands/commands.h RunCommand): one undo group, the
// operation of files/transfer.h or the worksheet reader's merge mode, recalculation as the mode
// says, the sheet marked modified. Exports leave the sheet as it is. Messages go through
// ShowError; the result says what happened.
// Reads and writes: the current worksheet, the undo journal, the files named.
#pragma once

#include <cstdint>
#include <string_view>

#include "commands/commands.h"
#include "core/address.h"
#include "files/transfer.h"

CommandResult ImportTextFile(std::string_view fileName, uint32_t row, uint32_t column,
                             TextImportMode mode);
CommandResult ImportDbaseFile(std::string_view fileName, uint32_t row, uint32_t column,
                              DbaseSelection selection);
// Worksheet export of `range` (kind 0 of the export command) goes through SaveWorksheet.
CommandResult ExportWorksheetRange(std::string_view fileName, const CellRange& range);
CommandResult ExportTextFile(std::string_view fileName, const CellRange& range, TextExportMode mode);
CommandResult ExportDbaseFile(std::string_view fileName, const CellRange& range);

// Merges worksheet file `fileName` at (row, column): `formulas` merges formulas (else values),
// `action` kMergeReplace, kMergeSum or kMergeDifference, `source` empty for the whole file, a
// range text of the file (with ".") or a range name of the file.
CommandResult MergeWorksheetFile(std::string_view fileName, uint32_t row, uint32_t column,
                                 bool formulas, uint16_t action, std::string_view source);
