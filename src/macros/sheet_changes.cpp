// macros/sheet_changes.cpp — macro changes handed to the worksheet's commands.
//
// Nothing here writes a record: every change runs through commands/commands.h, which checks
// protection, records it for Undo (inside the group of the macro command that makes it),
// recalculates and marks the sheet modified.
// Reads and writes: the current worksheet, through the commands layer.
#include "macros/sheet_changes.h"

#include "commands/cell_properties.h"
#include "commands/commands.h"
#include "commands/document_info.h"
#include "commands/sheet_settings.h"
#include "core/messages.h"
#include "core/names.h"
#include "formula/recalc.h"

bool MacroEnter(uint32_t row, uint32_t column, std::string_view text) {
  if (!IsValidCell(row, column)) return false;
  return EnterIntoCell(row, column, text).Done();
}

bool MacroSetColumnWidths(const CellRange& range, int characters) {
  SizeRequest request;
  request.size = characters;
  return SetColumnWidths(range, request).Done();
}

bool MacroSetRowHeights(const CellRange& range, int pixels) {
  SizeRequest request;
  request.size = pixels;
  return SetRowHeights(range, request).Done();
}

bool MacroApplyCellProperties(const CellRange& range, const CellProperties& properties) {
  return ApplyCellProperties(range, properties).Done();
}

bool MacroApplyGeneralSettings(const GeneralSettings& settings) {
  return ApplyGeneralSettings(settings).Done();
}

bool MacroSetColourFeature(int index, uint32_t word) {
  return SetColourFeature(index, word).Done();
}

bool MacroSetGlobalFormat(uint8_t format) { return SetGlobalFormat(format).Done(); }

bool MacroSetDocumentInfo(std::string_view title, std::string_view comments) {
  return SetDocumentInfo(title, comments).Done();
}

bool MacroSetDocumentText(int which, std::string_view text) {
  return SetDocumentText(which, text).Done();
}

bool MacroSetRangeFormat(const CellRange& range, uint8_t format) {
  return SetRangeFormat(range, format).Done();
}

bool MacroSetRangeLock(const CellRange& range, bool locked) {
  return SetRangeLock(range, locked).Done();
}

bool MacroSetRangeColourWord(const CellRange& range, uint32_t word) {
  return SetRangeColourWord(range, word).Done();
}

bool MacroDefineName(std::string_view name, const CellRange& range) {
  // A name that cannot be made gives the message of the name commands, not the name check's.
  if (!CheckNewName(name).empty()) {
    ShowError("Error Creating Names");
    return false;
  }
  return DefineRangeName(name, range).Done();
}

bool MacroDeleteName(std::string_view name) { return DeleteRangeName(name).Done(); }

bool MacroResetNames() { return ResetRangeNames().Done(); }

bool MacroBuildNames(const CellRange& source) { return BuildRangeNames(source).Done(); }

bool MacroTableNames(const CellRange& target) { return TableRangeNames(target).Done(); }

bool MacroEditGraph(const std::function<bool()>& edit) {
  return EditGraphDefinitions(edit).Done();
}

void MacroRecalculate() { RecalculateAll(); }

bool MacroUndo() { return UndoLastCommand().Done(); }
