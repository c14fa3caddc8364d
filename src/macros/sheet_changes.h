// macros/sheet_changes.h — the changes a macro makes to the worksheet, in one place.
//
// Every cell, layout, name or option change of a macro command goes through one of these
// routines, which hand it to the worksheet's command layer (undo, protection, recalculation,
// the modified flag). Each gives false when the change was refused or failed; the message has
// then gone through ShowError.
// Reads and writes: the current worksheet.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "core/address.h"

// Enters `text` into the cell as typed on the entry line.
bool MacroEnter(uint32_t row, uint32_t column, std::string_view text);
// Widths (characters, 255 the default) of the columns of a range / heights (pixels, 255 the
// default) of its rows, as one change.
bool MacroSetColumnWidths(const CellRange& range, int characters);
bool MacroSetRowHeights(const CellRange& range, int pixels);
// Attribute groups of the cells of a range (commands/cell_properties.h).
struct CellProperties;
bool MacroApplyCellProperties(const CellRange& range, const CellProperties& properties);
// The general settings of the sheet and the program (commands/sheet_settings.h); one colour
// feature of the sheet.
struct GeneralSettings;
bool MacroApplyGeneralSettings(const GeneralSettings& settings);
bool MacroSetColourFeature(int index, uint32_t word);
// The sheet's global format.
bool MacroSetGlobalFormat(uint8_t format);
// Attributes of the cells of a range: the format code, the protection bit (refused while the
// sheet is protected), the colour word (shade in bits 0..23, colour byte in bits 24..31).
bool MacroSetRangeFormat(const CellRange& range, uint8_t format);
bool MacroSetRangeLock(const CellRange& range, bool locked);
bool MacroSetRangeColourWord(const CellRange& range, uint32_t word);
// The document information: title and comments together, or one text (0 title, 1 comments).
bool MacroSetDocumentInfo(std::string_view title, std::string_view comments);
bool MacroSetDocumentText(int which, std::string_view text);
// Range names.
bool MacroDefineName(std::string_view name, const CellRange& range);
bool MacroDeleteName(std::string_view name);
bool MacroResetNames();
bool MacroBuildNames(const CellRange& source);
bool MacroTableNames(const CellRange& target);
// Runs an edit of the graph definitions (core/graph_edits.h), which gives false when it refused
// its arguments; the change can be undone. Gives the edit's result.
bool MacroEditGraph(const std::function<bool()>& edit);
// Recalculates the sheet; puts back what the last undo group changed.
void MacroRecalculate();
bool MacroUndo();
