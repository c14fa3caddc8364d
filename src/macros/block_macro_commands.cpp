// macros/block_macro_commands.cpp — the macro commands that copy, move, erase, insert and
// delete: COPY, MOVE, BLANK, COPYVAL, COPYTRANS, COPYSCALE, COPYINV, COPYFORM, INSERTROW,
// INSERTCOL, DELETEROW, DELETECOL.
//
// Each reads its range arguments (an empty argument is the current cell; "NUL" or a range that
// does not parse is a syntax error) and runs the worksheet command, which takes one undo group.
// A refusal of the command ("Copy Error", "CELLS in bottom row", ...) reaches the user through
// ShowError, which stops the macro (or goes to its ONERROR handler).
// Reads and writes: the current worksheet through commands/block_commands.h.
#include "commands/block_commands.h"
#include "commands/commands.h"
#include "macros/command_handlers.h"
#include "macros/interpreter_internal.h"

namespace {

// Reads the range argument `i`; "NUL" (no range) is a syntax error here.
bool BlockArgument(MacroCall& call, size_t i, CellRange* out) {
  if (!call.Range(i, out)) return false;
  if (!RangeIsValid(*out)) {
    call.SyntaxError();
    return false;
  }
  return true;
}

void CopyOrMove(MacroCall& call, bool move) {
  CellRange source, target;
  if (!BlockArgument(call, 0, &source) || !BlockArgument(call, 1, &target)) return;
  CopyMove(move, source, target);
}

void Special(MacroCall& call, CopySpecialMode mode) {
  CellRange source, target;
  if (!BlockArgument(call, 0, &source) || !BlockArgument(call, 1, &target)) return;
  const double factor = mode == CopySpecialMode::kScale ? call.Value(2) : 1.0;
  if (call.failed) return;
  CopySpecial(mode, source, target, factor);
}

void Shift(MacroCall& call, ShiftKind kind, bool insert) {
  CellRange r;
  if (BlockArgument(call, 0, &r)) InsertDelete(r, kind, insert);
}

}  // namespace

void DoCopy(MacroCall& call) { CopyOrMove(call, false); }
void DoMove(MacroCall& call) { CopyOrMove(call, true); }

void DoBlank(MacroCall& call) {
  CellRange r;
  if (BlockArgument(call, 0, &r)) EraseRange(r);
}

void DoCopyValue(MacroCall& call) { Special(call, CopySpecialMode::kValue); }
void DoCopyTranspose(MacroCall& call) { Special(call, CopySpecialMode::kTranspose); }
void DoCopyScale(MacroCall& call) { Special(call, CopySpecialMode::kScale); }
void DoCopyInvert(MacroCall& call) { Special(call, CopySpecialMode::kInvert); }
void DoCopyFormula(MacroCall& call) { Special(call, CopySpecialMode::kFormula); }

void DoInsertRow(MacroCall& call) { Shift(call, ShiftKind::kRows, true); }
void DoInsertColumn(MacroCall& call) { Shift(call, ShiftKind::kColumns, true); }
void DoDeleteRow(MacroCall& call) { Shift(call, ShiftKind::kRows, false); }
void DoDeleteColumn(MacroCall& call) { Shift(call, ShiftKind::kColumns, false); }
