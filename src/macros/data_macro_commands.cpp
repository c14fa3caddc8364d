// macros/data_macro_commands.cpp — the macro commands of the data and label tools: DATASORT,
// DATAFILL, REPLACE, RANGEPREFIX, RANGEJUSTIFY and BLOCKCASE.
//
// Each reads its arguments as the command table says and runs the worksheet command, which takes
// one undo group. A refusal of the command reaches the user through ShowError, which stops the
// macro (or goes to its ONERROR handler).
// Reads and writes: the current worksheet through commands/.
#include <array>

#include "commands/commands.h"
#include "commands/fill.h"
#include "commands/find_replace.h"
#include "commands/labels.h"
#include "commands/sort.h"
#include "macros/command_handlers.h"
#include "core/entry.h"
#include "macros/interpreter_internal.h"

namespace {

// A range argument that may be left out: not written (also an empty argument), or "NUL", is
// the undefined range.
bool OptionalRange(MacroCall& call, size_t i, CellRange* out) {
  *out = CellRange{};
  if (i >= call.Count() || call.Arg(i).empty()) return true;
  return call.Range(i, out);
}

}  // namespace

// DATASORT data, key 1, order 1, ..., key 4, order 4: an order of 1 (or one not written) is
// ascending, any other value descending.
void DoDataSort(MacroCall& call) {
  CellRange data;
  if (!call.Range(0, &data)) return;
  std::array<CellRange, 4> keys;
  SortOrders ascending = kAllAscending;
  for (size_t k = 0; k < 4; ++k) {
    if (!OptionalRange(call, 1 + 2 * k, &keys[k])) return;
    const size_t order = 2 + 2 * k;
    if (order < call.Count()) ascending[k] = call.Integer(order) == 1;
  }
  if (call.failed) return;
  SortRange(data, keys, ascending);
}

// DATAFILL range, start, step, type, order: type 1 Linear, 2 Multiply, 3 Power (any other is a
// bad argument); order 1 fills row by row, any other value column by column.
void DoDataFill(MacroCall& call) {
  CellRange range;
  if (!call.Range(0, &range)) return;
  if (!RangeIsValid(range)) return call.SyntaxError();
  const double start = call.Value(1);
  const double step = call.Value(2);
  const int type = call.Integer(3);
  const bool rowOrder = call.Integer(4) == 1;
  if (call.failed) return;
  if (type < 1 || type > 3) return call.SyntaxError();
  FillSeries(range, FillType(type), rowOrder, step, start);
}

// REPLACE find, replace, range, case: the texts are formula arguments evaluated to strings; the
// range is the scope ("NUL", or none written, for Global); case 1: the case must match, 0 or
// none written: case-insensitive. Runs Replace All.
void DoReplace(MacroCall& call) {
  FindState state;
  if (!call.Text(0, &state.findText) || !call.Text(1, &state.replaceText)) return;
  if (call.Count() > 2 && !call.Range(2, &state.scope)) return;
  state.caseInsensitive = call.Count() <= 3 || call.Integer(3) != 1;
  if (call.failed) return;
  ReplaceAll(state);
}

// RANGEJUSTIFY range, code: SetLabelPrefix with the code.
void DoRangeJustify(MacroCall& call) {
  CellRange range;
  if (!call.Range(0, &range)) return;
  if (!RangeIsValid(range)) return call.SyntaxError();
  const int code = call.Integer(1);
  if (call.failed) return;
  SetLabelPrefix(range, code);
}

// RANGEPREFIX range, text: the first character of the text (a formula argument evaluated to a
// string) becomes the prefix of the range's labels; an empty text does nothing; a character
// that is not a label prefix is a bad argument.
void DoRangePrefix(MacroCall& call) {
  CellRange range;
  std::string text;
  if (!call.Range(0, &range)) return;
  if (!RangeIsValid(range)) return call.SyntaxError();
  if (!call.Text(1, &text) || text.empty()) return;
  if (!IsLabelPrefix((unsigned char)text[0])) return call.SyntaxError();
  ReplaceLabelPrefix(range, text[0]);
}

// BLOCKCASE range, mode: ConvertLabels with the mode 0..5 (another is a bad argument).
void DoBlockCase(MacroCall& call) {
  CellRange range;
  if (!call.Range(0, &range)) return;
  if (!RangeIsValid(range)) return call.SyntaxError();
  const int mode = call.Integer(1);
  if (call.failed) return;
  if (mode < 0 || mode > 5) return call.SyntaxError();
  ConvertLabels(range, mode);
}
