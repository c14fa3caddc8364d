// commands/commands.cpp — the command path and the commands that change cells and layout.
//
// Reads and writes: the current worksheet's cells, layout, names and modified flag; the undo
// journal (core/undo.cpp); the error flag. Recalculates through formula/recalc.h.
#include "commands/commands.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "commands/block_commands.h"
#include "commands/cell_changes.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/graph_definition.h"
#include "core/messages.h"
#include "core/names.h"
#include "core/sheet_extras.h"
#include "core/sheet_layout.h"
#include "core/worksheets.h"
#include "files/macro_button.h"
#include "formula/evaluator.h"
#include "formula/functions_sheet.h"
#include "formula/recalc.h"
#include "platform/platform.h"

namespace {

constexpr char kProtectedCell[] = "Protected Cell";

struct CommandState {
  // How many undo groups are open (UndoGroupScope and RunCommand nest; the outermost owns the
  // group).
  int openGroups = 0;
};

CommandState& TheCommandState() {
  static CommandState state;
  return state;
}

CommandResult Refused(const char* text) {
  ShowError(text);
  return CommandResult{CommandStatus::kProtected, text};
}

CommandResult Failed(std::string text) {
  if (!text.empty()) ShowError(text);
  return CommandResult{CommandStatus::kFailed, std::move(text)};
}

// Applies `change` to every cell of the range that protection leaves alone, creating missing
// cells blank.
CommandResult ChangeAttributes(const CellRange& range, const std::function<void(CellRecord*)>& change) {
  return RunCommand(CommandSteps{}, [&]() -> CommandResult {
    const bool done = ChangeUnprotectedCells(range, [&](CellRecord* c, uint32_t, uint32_t) {
      change(c);
      return true;
    });
    return done ? CommandResult{} : CommandResult{CommandStatus::kFailed, {}};
  });
}

}  // namespace

bool ChangeUnprotectedCells(const CellRange& range, const CellVisit& visit) {
  const CellRange r = OrderedRange(range);
  const bool protectedSheet = Options().protection();
  for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
    for (uint32_t column = r.firstColumn; column <= r.lastColumn; ++column) {
      const CellHandle existing = GetCell(row, column);
      if (protectedSheet && (!existing || (CellAt(existing)->format & kFormatProtected))) continue;
      NoteCellChange(existing);
      const CellHandle h = existing ? existing : GetOrCreateCell(row, column);
      if (!h || !visit(CellAt(h), row, column)) return false;
    }
  }
  return true;
}

void EraseCellContents(CellHandle h) {
  NoteCellChange(h);
  CellRecord* c = CellAt(h);
  const uint8_t kind = c->kind & kKindMask;
  if (kind <= uint8_t(CellKind::kFormula) && !(c->kind & kKindFileForm)) Unlink(h);
  c = CellAt(h);
  if (kind == uint8_t(CellKind::kStringFormula)) {
    const PoolHandle result = CellStringResult(c);
    if (result) PoolFree(result, PoolTextSize(result));
  }
  FreeCellText(c);
  std::memset(c->value, 0, sizeof c->value);
  c->kind = uint8_t(CellKind::kBlank);
}

void OpenUndoGroup() {
  if (TheCommandState().openGroups++ == 0) SaveUndo();
}

void CloseUndoGroup() {
  int& open = TheCommandState().openGroups;
  if (open > 0 && --open == 0) EndUndoGroup();
}

CommandResult ChangeSheetOptions(const std::function<void(GlobalOptions&)>& change) {
  CommandSteps steps;
  steps.recalculate = false;
  return RunCommand(steps, [&]() -> CommandResult {
    NoteOptions();
    change(Options());
    StoreOptions(CurrentWorksheet());
    return CommandResult{};
  });
}

CommandResult RunCommand(const CommandSteps& steps, const std::function<CommandResult()>& apply) {
  if (CurrentWorksheet() == 0) {
    ThePlatform().Beep();
    return CommandResult{CommandStatus::kFailed, {}};
  }
  if (steps.refuseWhenProtected && Options().protection()) return Refused(kProtectedCell);
  if (steps.undo) {
    OpenUndoGroup();
    if (steps.undoWholeSheet) NoteWholeSheet();
  }
  ClearError();
  CommandResult result = apply();
  if (result.Done() && steps.marksModified) SetSheetModified(true);
  if (steps.recalculate && !Options().manualRecalc()) {
    std::vector<CellHandle> changed;
    if (steps.recalculateChangedOnly && steps.undo && CellsNotedByOpenGroup(&changed)) {
      if (!changed.empty()) RecalculateCells(changed.data(), changed.size());
    } else {
      RecalculateAll();
    }
  }
  if (steps.undo) CloseUndoGroup();
  ThePlatform().Repaint();
  return result;
}

CommandResult EnterIntoCell(uint32_t row, uint32_t column, std::string_view text) {
  CommandSteps steps;
  steps.recalculate = false;  // the entry recalculates what depends on the cell
  steps.marksModified = false;  // the entry marks the sheet itself when it stores anything
  return RunCommand(steps, [&]() -> CommandResult {
    switch (EnterCell(text, row, column)) {
      case EntryResult::kStored: return CommandResult{};
      case EntryResult::kProtected: return CommandResult{CommandStatus::kProtected, kProtectedCell};
      case EntryResult::kFormulaError:
        return CommandResult{CommandStatus::kFormulaError, ErrorText()};
      case EntryResult::kNoMemory: break;
    }
    return CommandResult{CommandStatus::kFailed, ErrorText()};
  });
}

CommandResult EraseRange(const CellRange& range, bool all) {
  const CellRange r = OrderedRange(range);
  CommandSteps steps;
  steps.recalculate = false;  // only what depends on the erased cells, as entry does
  return RunCommand(steps, [&]() -> CommandResult {
    const bool protectedSheet = Options().protection();
    std::vector<CellHandle> withDependents;
    for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
      for (CellHandle h = FindCellAtOrAfter(row, r.firstColumn); h; h = CellAt(h)->next) {
        const CellRecord* c = CellAt(h);
        if (c->column > r.lastColumn) break;
        if (protectedSheet && (c->format & kFormatProtected)) continue;
        if (c->dependents != kNoBlock) withDependents.push_back(h);
        EraseCellContents(h);
        if (all) {
          std::memcpy(&CellAt(h)->font, &BlankCellTemplate().font, kCellLookSize);
        }
      }
    }
    if (!Options().manualRecalc() && !withDependents.empty()) {
      RecalculateCells(withDependents.data(), withDependents.size());
    }
    return CommandResult{};
  });
}

CommandResult SetRangeFormat(const CellRange& range, uint8_t format) {
  return ChangeAttributes(range, [format](CellRecord* c) {
    c->format = uint8_t((c->format & kFormatProtected) | (format & ~kFormatProtected));
  });
}

CommandResult SetRangeAlignment(const CellRange& range, int alignment) {
  if (alignment < 0 || alignment > 6) return CommandResult{CommandStatus::kFailed, {}};
  return ChangeAttributes(range, [alignment](CellRecord* c) {
    c->style = uint8_t((c->style & ~kStyleAlignmentMask) | (alignment << kStyleAlignmentShift));
  });
}

CommandResult SetRangeStyle(const CellRange& range, uint8_t bits, bool on) {
  return ChangeAttributes(range, [bits, on](CellRecord* c) {
    c->style = uint8_t(on ? (c->style | bits) : (c->style & ~bits));
  });
}

CommandResult SetRangeFont(const CellRange& range, uint8_t font) {
  return ChangeAttributes(range, [font](CellRecord* c) { c->font = font; });
}

CommandResult SetRangeFontSize(const CellRange& range, uint8_t points) {
  return ChangeAttributes(range, [points](CellRecord* c) { c->size = points; });
}

CommandResult StepRangeFontSize(const CellRange& range, int step, int fallback) {
  return ChangeAttributes(range, [step, fallback](CellRecord* c) {
    const int size = c->size ? c->size : fallback;
    c->size = uint8_t(std::clamp(size + step, 4, 127));
  });
}

CommandResult SetRangeTextColour(const CellRange& range, int paletteIndex) {
  if (paletteIndex < 0 || paletteIndex > kColourIndexMask) {
    return CommandResult{CommandStatus::kFailed, {}};
  }
  return ChangeAttributes(range, [paletteIndex](CellRecord* c) {
    c->colour = uint8_t((c->colour & ~(kColourIndexMask | kColourAutomaticText)) | paletteIndex);
  });
}

CommandResult SetRangeShade(const CellRange& range, uint8_t red, uint8_t green, uint8_t blue) {
  return ChangeAttributes(range, [=](CellRecord* c) {
    c->shade[0] = red;
    c->shade[1] = green;
    c->shade[2] = blue;
    c->colour = uint8_t(c->colour & ~kColourNoShade);
  });
}

CommandResult SetRangeColourWord(const CellRange& range, uint32_t word) {
  return ChangeAttributes(range, [word](CellRecord* c) {
    c->shade[0] = uint8_t(word);
    c->shade[1] = uint8_t(word >> 8);
    c->shade[2] = uint8_t(word >> 16);
    c->colour = uint8_t(word >> 24);
  });
}

CommandResult SetRangeLock(const CellRange& range, bool locked) {
  const CellRange r = OrderedRange(range);
  CommandSteps steps;
  steps.refuseWhenProtected = true;
  return RunCommand(steps, [&]() -> CommandResult {
    for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
      for (uint32_t column = r.firstColumn; column <= r.lastColumn; ++column) {
        NoteCellChange(GetCell(row, column));
        const CellHandle h = GetOrCreateCell(row, column);
        if (!h) return CommandResult{CommandStatus::kFailed, {}};
        CellRecord* c = CellAt(h);
        c->format = uint8_t(locked ? (c->format | kFormatProtected)
                                   : (c->format & ~kFormatProtected));
      }
    }
    return CommandResult{};
  });
}

CommandResult SetColumnWidth(uint32_t column, uint16_t pixels) {
  if (column >= uint32_t(kColumnCount)) return CommandResult{CommandStatus::kFailed, {}};
  CommandSteps steps;
  steps.recalculate = false;
  return RunCommand(steps, [&]() -> CommandResult {
    NoteColumnWidth(column);
    CurrentLayout().columnWidth[column] = pixels;
    return CommandResult{};
  });
}

CommandResult SetRowHeight(uint32_t row, uint16_t pixels) {
  if (row >= uint32_t(kRowCount)) return CommandResult{CommandStatus::kFailed, {}};
  CommandSteps steps;
  steps.recalculate = false;
  return RunCommand(steps, [&]() -> CommandResult {
    NoteRowHeight(row);
    CurrentLayout().rowHeight[row] = pixels;
    return CommandResult{};
  });
}

CommandResult DefineRangeName(std::string_view name, const CellRange& range) {
  return RunCommand(CommandSteps{}, [&]() -> CommandResult {
    const std::string problem = CheckNewName(name);
    if (!problem.empty()) return Failed(problem);
    if (DefineName(name, OrderedRange(range)) == 0) {
      return Failed("no room for the name " + std::string(name));
    }
    return CommandResult{};
  });
}

CommandResult DeleteRangeName(std::string_view name) {
  return RunCommand(CommandSteps{}, [&]() -> CommandResult {
    if (DeleteName(name) <= 0) return CommandResult{CommandStatus::kFailed, {}};
    return CommandResult{};
  });
}

CommandResult ResetRangeNames() {
  CommandSteps steps;
  steps.recalculate = false;
  return RunCommand(steps, []() -> CommandResult {
    ResetNames();
    return CommandResult{};
  });
}

CommandResult BuildRangeNames(const CellRange& source) {
  CommandSteps steps;
  steps.recalculate = false;
  return RunCommand(steps, [&]() -> CommandResult {
    BuildNames(OrderedRange(source));
    if (ErrorRaised()) return CommandResult{CommandStatus::kFailed, ErrorText()};
    return CommandResult{};
  });
}

CommandResult TableRangeNames(const CellRange& target) {
  return RunCommand(CommandSteps{}, [&]() -> CommandResult {
    TableNames(OrderedRange(target));
    if (ErrorRaised()) return CommandResult{CommandStatus::kFailed, ErrorText()};
    return CommandResult{};
  });
}

namespace {

// Changes the options record. Undoable ones record it first; Undo leaves protection as it is
// (core/undo.cpp), so switching protection is not an undoable change at all.
CommandResult ChangeOptions(bool undoable, bool recalculate,
                            const std::function<void(GlobalOptions&)>& change) {
  CommandSteps steps;
  steps.undo = undoable;
  steps.recalculate = recalculate;
  return RunCommand(steps, [&]() -> CommandResult {
    if (undoable) NoteOptions();
    change(Options());
    StoreOptions(CurrentWorksheet());
    return CommandResult{};
  });
}

}  // namespace

CommandResult SetGlobalFormat(uint8_t format) {
  return ChangeOptions(true, false, [format](GlobalOptions& o) {
    o.setGlobalFormat(format & kFormatCodeMask);
  });
}

CommandResult SetSheetProtection(bool on) {
  return ChangeOptions(false, false, [on](GlobalOptions& o) { o.setProtection(on); });
}

CommandResult SetManualRecalculation(bool manual) {
  return ChangeOptions(true, !manual, [manual](GlobalOptions& o) { o.setManualRecalc(manual); });
}

CommandResult ClearCurrentGraph() {
  CommandSteps steps;
  steps.undo = false;
  steps.recalculate = false;
  return RunCommand(steps, []() -> CommandResult {
    ResetGraph(CurrentGraph());
    return CommandResult{};
  });
}

CommandResult EditGraphDefinitions(const std::function<bool()>& edit) {
  CommandSteps steps;
  steps.recalculate = false;
  return RunCommand(steps, [&]() -> CommandResult {
    NoteGraphDefinitions();
    if (!edit()) return CommandResult{CommandStatus::kFailed, {}};
    return CommandResult{};
  });
}

namespace {

constexpr size_t kMaxMacroButtons = 255;  // as many as a file may bring

// Undo: the group keeps the sheet's button descriptions as they are now.
void NoteMacroButtons() {
  static const char kButtonsKey = 0;
  size_t bytes = 0;
  for (const std::vector<uint8_t>& b : CurrentExtras().macroButtons) bytes += b.size();
  NoteSheetState(&kButtonsKey, bytes, [] {
    std::vector<std::vector<uint8_t>> before = CurrentExtras().macroButtons;
    return UndoRestore([before] { CurrentExtras().macroButtons = before; });
  });
}

}  // namespace

CommandResult AddMacroButton(const MacroButton& button) {
  const std::optional<std::vector<uint8_t>> record = EncodeMacroButton(button);
  if (!record) return CommandResult{CommandStatus::kFailed, {}};
  CommandSteps steps;
  steps.recalculate = false;
  return RunCommand(steps, [&]() -> CommandResult {
    if (CurrentExtras().macroButtons.size() >= kMaxMacroButtons) {
      return CommandResult{CommandStatus::kFailed, {}};
    }
    NoteMacroButtons();
    CurrentExtras().macroButtons.push_back(*record);
    return CommandResult{};
  });
}

CommandResult RemoveMacroButton(size_t index) {
  CommandSteps steps;
  steps.recalculate = false;
  return RunCommand(steps, [&]() -> CommandResult {
    std::vector<std::vector<uint8_t>>& buttons = CurrentExtras().macroButtons;
    if (index >= buttons.size()) return CommandResult{CommandStatus::kFailed, {}};
    NoteMacroButtons();
    buttons.erase(buttons.begin() + std::ptrdiff_t(index));
    return CommandResult{};
  });
}

namespace {

// Reads one linked cell from a linked file's row table into the link table of `sheet`.
void ReadLinkedCell(SlotIndex sheet, const std::string& fileName, const PoolHandle* rows,
                    const LinkedCell& cell) {
  if (cell.page != 0 || cell.row >= kRowCount) return;  // a file holds one page
  for (CellHandle h = rows[cell.row]; h; h = CellAt(h)->next) {
    const CellRecord* c = CellAt(h);
    if (c->column < cell.column) continue;
    if (c->column > cell.column || (c->kind & kKindErrorMark)) return;
    const uint8_t kind = c->kind & kKindMask;
    if (kind >= uint8_t(CellKind::kFormula) && kind <= uint8_t(CellKind::kInteger)) {
      StoreLinkedNumber(sheet, fileName, cell.page, cell.row, cell.column, CellNumber(c));
    } else if (kind == uint8_t(CellKind::kLabel)) {
      const std::string text = PoolText(c->text);
      StoreLinkedString(sheet, fileName, cell.page, cell.row, cell.column,
                        text.empty() ? text : text.substr(1));
    } else if (kind == uint8_t(CellKind::kStringFormula)) {
      StoreLinkedString(sheet, fileName, cell.page, cell.row, cell.column,
                        PoolText(CellStringResult(c)));
    }
    return;
  }
}

}  // namespace

CommandResult UpdateLinks() {
  const SlotIndex current = CurrentWorksheet();
  ThePlatform().WaitCursor(true);
  ClearLinkedSheetCache();
  for (SlotIndex sheet = 1; sheet <= WorksheetCount(); ++sheet) {
    if (!Worksheet(sheet).InUse() || Worksheet(sheet).linkedOnly) continue;
    const std::vector<LinkedFileEntry> table = LinkTable(sheet);  // loading may not change it
    for (const LinkedFileEntry& file : table) {
      const PoolHandle* rows = LinkedSheet(file.fileName);
      if (!rows) continue;
      for (const LinkedCell& cell : file.cells) ReadLinkedCell(sheet, file.fileName, rows, cell);
    }
  }
  for (SlotIndex sheet = 1; sheet <= WorksheetCount(); ++sheet) {
    if (!Worksheet(sheet).InUse() || Worksheet(sheet).linkedOnly) continue;
    ActivateWorksheet(sheet);
    RecalculateAll();
  }
  if (current != 0 && Worksheet(current).InUse()) ActivateWorksheet(current);
  ThePlatform().WaitCursor(false);
  ThePlatform().Repaint();
  return CommandResult{};
}

namespace {

// Undo and Redo: no group of their own (the journal moves the group between its lists), and no
// recalculation of the whole sheet (the journal recalculates from the cells it put back).
CommandResult ApplyJournal(bool (*restore)()) {
  CommandSteps steps;
  steps.undo = false;
  steps.recalculate = false;
  steps.marksModified = false;  // the journal marks the sheet when it puts anything back
  return RunCommand(steps, [restore]() -> CommandResult {
    if (!restore()) {
      ThePlatform().Beep();
      return CommandResult{CommandStatus::kFailed, {}};
    }
    return CommandResult{};
  });
}

}  // namespace

CommandResult UndoLastCommand() { return ApplyJournal(RestoreUndo); }

CommandResult RedoLastCommand() { return ApplyJournal(RestoreRedo); }
