// macros/sheet_changes.cpp — macro changes handed to the worksheet's operations.
#include "macros/sheet_changes.h"

#include "core/cell_store.h"
#include "formula/recalc.h"
#include "core/entry.h"
#include "core/global_options.h"
#include "core/messages.h"
#include "core/names.h"
#include "core/sheet_layout.h"
#include "core/worksheets.h"

bool MacroEnter(uint32_t row, uint32_t column, std::string_view text) {
  if (CurrentWorksheet() == 0 || !IsValidCell(row, column)) return false;
  SaveUndo();
  ClearError();
  EnterCell(text, row, column);
  return !ErrorRaised();
}

bool MacroSetColumnWidth(uint16_t column, uint16_t pixels) {
  if (column >= kColumnCount) return false;
  SaveUndo();
  NoteColumnWidth(column);
  CurrentLayout().columnWidth[column] = pixels;
  SetSheetModified(true);
  return true;
}

bool MacroSetRowHeight(uint16_t row, uint16_t pixels) {
  if (row >= kRowCount) return false;
  SaveUndo();
  NoteRowHeight(row);
  CurrentLayout().rowHeight[row] = pixels;
  SetSheetModified(true);
  return true;
}

bool MacroSetGlobalFormat(uint8_t format) {
  Options().setGlobalFormat(format & 0x7F);
  SetSheetModified(true);
  return true;
}

bool MacroDefineName(std::string_view name, const CellRange& range) {
  if (!CheckNewName(name).empty() || DefineName(name, range) == 0) {
    ShowError("Error Creating Names");
    return false;
  }
  SetSheetModified(true);
  return true;
}

bool MacroDeleteName(std::string_view name) {
  if (DeleteName(name) <= 0) return false;
  SetSheetModified(true);
  return true;
}

bool MacroResetNames() {
  ResetNames();
  SetSheetModified(true);
  return true;
}

bool MacroBuildNames(const CellRange& source) {
  ClearError();
  BuildNames(source);
  SetSheetModified(true);
  return !ErrorRaised();
}

bool MacroTableNames(const CellRange& target) {
  SaveUndo();
  ClearError();
  TableNames(target);
  SetSheetModified(true);
  RecalculateIfAutomatic();
  return !ErrorRaised();
}

bool MacroGraphChanged(bool applied) {
  if (applied) SetSheetModified(true);
  return applied;
}

void MacroRecalculate() {
  RecalculateAll();
}

bool MacroUndo() { return RestoreUndo(); }
