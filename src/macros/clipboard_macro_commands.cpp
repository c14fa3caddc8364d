// macros/clipboard_macro_commands.cpp — the macro commands of the clipboard: EDITCOPY, EDITCUT
// and EDITPASTE.
//
// Each takes a range argument (empty: the cell pointer) and runs the clipboard command, which
// takes one undo group. A refusal reaches the user through ShowError, which stops the macro (or
// goes to its ONERROR handler).
// Reads and writes: the current worksheet through commands/, the clipboard.
#include "commands/clipboard.h"
#include "macros/command_handlers.h"
#include "macros/interpreter_internal.h"

namespace {

void CopyOrCut(MacroCall& call, bool cut) {
  CellRange range;
  if (!call.Range(0, &range)) return;
  if (!RangeIsValid(range)) return call.SyntaxError();
  CopyToClipboard(range, cut);
}

}  // namespace

// EDITCOPY range: the range to the clipboard.
void DoEditCopy(MacroCall& call) { CopyOrCut(call, false); }

// EDITCUT range: the range to the clipboard, then its contents erased.
void DoEditCut(MacroCall& call) { CopyOrCut(call, true); }

// EDITPASTE range: the clipboard pasted at the range's top-left cell.
void DoEditPaste(MacroCall& call) {
  CellRange range;
  if (!call.Range(0, &range)) return;
  if (!RangeIsValid(range)) return call.SyntaxError();
  const CellRange r = OrderedRange(range);
  PasteFromClipboard(r.firstRow, r.firstColumn);
}
