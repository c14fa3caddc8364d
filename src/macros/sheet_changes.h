// macros/sheet_changes.h — the changes a macro makes to the worksheet, in one place.
//
// Every cell, layout, name or option change of a macro command goes through one of these
// routines, which hand it to the worksheet's command layer (undo, protection, recalculation,
// the modified flag). Each gives false when the change was refused or failed; the message has
// then gone through ShowError.
// Reads and writes: the current worksheet.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/address.h"

// Enters `text` into the cell as typed on the entry line.
bool MacroEnter(uint32_t row, uint32_t column, std::string_view text);
// Column width and row height in pixels.
bool MacroSetColumnWidth(uint16_t column, uint16_t pixels);
bool MacroSetRowHeight(uint16_t row, uint16_t pixels);
// The sheet's global format.
bool MacroSetGlobalFormat(uint8_t format);
// Range names.
bool MacroDefineName(std::string_view name, const CellRange& range);
bool MacroDeleteName(std::string_view name);
bool MacroResetNames();
bool MacroBuildNames(const CellRange& source);
bool MacroTableNames(const CellRange& target);
// An edit of the graph definitions (core/graph_edits.h) was made: `applied` marks the sheet
// modified. Gives `applied`.
bool MacroGraphChanged(bool applied);
// Recalculates the sheet; puts back the state before the last change.
void MacroRecalculate();
bool MacroUndo();
