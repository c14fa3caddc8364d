// commands/commands.h — the one way a worksheet changes.
//
// Every change of the current worksheet, from whichever front end (the desktop program, the
// batch tool, later the macro interpreter), runs through `RunCommand`: protection checked where
// the command needs it, one undo group opened, the operation applied, recalculation as the
// mode says, the sheet marked modified, and a result returned. Messages still go to the user
// through ShowError; the result tells the caller what happened without reading message texts.
// The typed operations below are the commands that exist; later commands (copy, move, insert,
// sort, ...) are added here the same way.
// Reads and writes: the current worksheet (cells, layout, names, options), the undo journal
// (core/cell_store.h "Undo"), the error flag.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/address.h"

struct CellRecord;

// What a command did.
enum class CommandStatus : uint8_t {
  kDone,          // applied (cells that protection keeps were left as they are)
  kProtected,     // refused: "Protected Cell"
  kFormulaError,  // an entry's formula did not compile; `message` holds the compiler's message
  kFailed,        // stopped: no current worksheet, memory exhausted, or an invalid argument
};

struct CommandResult {
  CommandStatus status = CommandStatus::kDone;
  std::string message;  // what was reported through ShowError, when anything was

  bool Done() const { return status == CommandStatus::kDone; }
};

// How RunCommand runs an operation.
struct CommandSteps {
  // Refuse the whole command with "Protected Cell" while the sheet's protection is on.
  bool refuseWhenProtected = false;
  // Record the operation as one undo group (the operation notes what it changes: see
  // core/cell_store.h, "Undo").
  bool undo = true;
  // Record the whole sheet in the group first (core/cell_store.h NoteWholeSheet): for commands
  // that move records or rewrite references across the sheet.
  bool undoWholeSheet = false;
  // Recalculate the sheet afterwards when recalculation is automatic. (An entry recalculates its
  // own dependents and leaves this off.)
  bool recalculate = true;
  // With `recalculate`: only the cells the operation changed (those its undo group noted) and
  // what depends on them, as an entry does; the whole sheet when Undo is off. For commands
  // whose every change of a value is a noted cell change.
  bool recalculateChangedOnly = false;
  // Mark the sheet modified when the operation succeeded.
  bool marksModified = true;
};

// The steps of a command that records the whole sheet for Undo: only for changes that cannot be
// followed cell by cell (NoteCellChange, NoteCellCreation, NoteCellShift), since it costs time
// and journal bytes in proportion to the sheet. No command needs it today.
// The steps of a command that changes cells only (copy, move, sort, fill, replace, labels):
// recalculation starts from the cells it changed.
inline CommandSteps CellChangeSteps() {
  CommandSteps steps;
  steps.recalculateChangedOnly = true;
  return steps;
}

inline CommandSteps WholeSheetSteps() {
  CommandSteps steps;
  steps.undoWholeSheet = true;
  return steps;
}

// Runs `apply` on the current worksheet as described above. Gives kFailed without calling it
// when no worksheet is current. The result is apply's; when apply fails after changing some
// cells, Undo still puts back the state before the command.
CommandResult RunCommand(const CommandSteps& steps, const std::function<CommandResult()>& apply);

// A command that only changes the current worksheet's options (texts, print settings, colours):
// one undo group, `change` applied to them and kept with the sheet, no recalculation.
struct GlobalOptions;
CommandResult ChangeSheetOptions(const std::function<void(GlobalOptions&)>& change);

// Inside a command: visits every cell of `range` that protection leaves alone, noting it for
// Undo and creating it blank where missing; with protection on, locked cells and empty positions
// are skipped. `visit` gives false to stop. False when a visit stopped or a cell could not be
// made.
using CellVisit = std::function<bool(CellRecord* cell, uint32_t row, uint32_t column)>;
bool ChangeUnprotectedCells(const CellRange& range, const CellVisit& visit);

// One undo group for several commands (one macro command, one paste, one batch-tool action
// made of several steps): groups nest, and only the outermost opens and closes the journal's
// group, so everything run inside comes back with a single Undo.
void OpenUndoGroup();
void CloseUndoGroup();
class UndoGroupScope {
 public:
  UndoGroupScope() { OpenUndoGroup(); }
  ~UndoGroupScope() { CloseUndoGroup(); }
  UndoGroupScope(const UndoGroupScope&) = delete;
  UndoGroupScope& operator=(const UndoGroupScope&) = delete;
};

// --- the commands ------------------------------------------------------------------------------

// Enters `text` into a cell as typed on the entry line (core/entry.h EnterCell): a locked cell
// under protection gives kProtected, a formula that does not compile kFormulaError with the
// compiler's message; both leave the cell as it was.
CommandResult EnterIntoCell(uint32_t row, uint32_t column, std::string_view text);

// Erases the contents of the cells of `range` (their format and attributes stay; with `all` they
// go back to the blank template too); locked cells under protection keep their contents. The
// records stay, so formulas referring to them keep their references.
CommandResult EraseRange(const CellRange& range, bool all = false);

// Attribute commands on the cells of `range`. With protection on, locked cells and empty
// positions (which are locked) keep their look; elsewhere missing cells are created blank.
// The number format (bits 0..6 of the format byte; `format` 0x7F is the sheet's default).
CommandResult SetRangeFormat(const CellRange& range, uint8_t format);
// The alignment index 0..6 (0: the sheet's label prefix), bits 4..6 of the style byte.
CommandResult SetRangeAlignment(const CellRange& range, int alignment);
// Sets (`on`) or clears the style bits of `bits` (kStyleBold, kStyleItalic, ...).
CommandResult SetRangeStyle(const CellRange& range, uint8_t bits, bool on);
// The typeface index (255: the default font) and the size in points (0: the window's size).
CommandResult SetRangeFont(const CellRange& range, uint8_t font);
CommandResult SetRangeFontSize(const CellRange& range, uint8_t points);
// Changes each cell's size by `step` points, from `fallback` for cells of the default size,
// kept within 4..127.
CommandResult StepRangeFontSize(const CellRange& range, int step, int fallback);
// The text colour (palette index 0..15, no longer automatic) / the background shade.
CommandResult SetRangeTextColour(const CellRange& range, int paletteIndex);
CommandResult SetRangeShade(const CellRange& range, uint8_t red, uint8_t green, uint8_t blue);
// The whole colour word: the shade in bits 0..23 (red, green, blue from the low byte up) and the
// colour byte in bits 24..31.
CommandResult SetRangeColourWord(const CellRange& range, uint32_t word);

// Sets or clears the protection bit of the cells of `range`. Refused with "Protected Cell"
// while the sheet's protection is on (otherwise a password could be sidestepped).
CommandResult SetRangeLock(const CellRange& range, bool locked);

// Column width and row height in pixels (a character is 8 pixels wide).
CommandResult SetColumnWidth(uint32_t column, uint16_t pixels);
CommandResult SetRowHeight(uint32_t row, uint16_t pixels);

// Defines (or redefines) a range name; an invalid name gives kFailed with the message shown.
CommandResult DefineRangeName(std::string_view name, const CellRange& range);
// Deletes a range name; kFailed when there is no such name.
CommandResult DeleteRangeName(std::string_view name);
// Removes every range name.
CommandResult ResetRangeNames();
// Defines names from a two-column block of name and range texts (core/names.h BuildNames);
// kFailed when a name could not be made (the message has been shown).
CommandResult BuildRangeNames(const CellRange& source);
// Writes the table of range names into two columns from the first row of `target`.
CommandResult TableRangeNames(const CellRange& target);

// Sheet-wide settings. The global format (bits 0..6), undoable. Protection on or off (not
// undoable, and Undo of other changes leaves it as it is): a caller switching it off must have asked for the password first
// when one is set (core/password.h). Manual or automatic recalculation; switching to automatic
// recalculates.
CommandResult SetGlobalFormat(uint8_t format);
CommandResult SetSheetProtection(bool on);
CommandResult SetManualRecalculation(bool manual);

// Clears every setting of the sheet's current graph (its name too), as a new sheet has them.
CommandResult ClearCurrentGraph();
// Runs a checked edit of the graph definitions (core/graph_edits.h) as one undoable command:
// `edit` gives false when it refused its arguments, which gives kFailed with nothing changed.
CommandResult EditGraphDefinitions(const std::function<bool()>& edit);

// Macro buttons placed on the worksheet (files/macro_button.h): adds a button (kFailed when
// its fields are out of range or the sheet holds 255 buttons already) / removes button `index`
// (0-based in the order of the file; kFailed when there is none). Both can be undone.
struct MacroButton;
CommandResult AddMacroButton(const MacroButton& button);
CommandResult RemoveMacroButton(size_t index);

// The link update (File "&Uplink", F9): forgets the cache of linked files, reads every cell that
// the @LINK tables of the open worksheets name from its file again (numbers, labels and string
// results; a cell that is missing or an error keeps what was stored), then recalculates every
// open worksheet and makes the current one current again.
CommandResult UpdateLinks();

// Undo: puts back what the newest undo group changed (cells, widths, heights, names, options,
// noted state) and recalculates from the cells put back; the group moves to the redo list.
// kFailed (with a beep) when there is nothing to undo.
CommandResult UndoLastCommand();
// Redo: applies the newest group of the redo list the same way. A new change clears that list.
// kFailed (with a beep) when there is nothing to redo.
CommandResult RedoLastCommand();
