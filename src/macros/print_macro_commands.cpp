// macros/print_macro_commands.cpp — PRINTALL, PRINTRANGE, PRINTGRAPH, PRINTFILE and the print
// settings PRINTHEAD, PRINTFOOT, PRINTMARGIN, PRINTBORDER and PRINTOPTION.
//
// Each runs the command of commands/print_commands.h with the arguments in place of the print
// dialog. Texts are formula arguments evaluated to a string; a value out of its range is a syntax
// error. What a print job reports ("No Printer", "Unable to WRITE") stops the macro through
// ShowError as every message does.
// Reads and writes: the current worksheet's options, the files named.
#include <cmath>

#include "commands/print_commands.h"
#include "core/number_settings.h"
#include "macros/command_handlers.h"
#include "macros/interpreter_internal.h"

namespace {

// An optional rule flag: missing or empty -1 (unchanged), else 0 or 1.
bool RuleArgument(MacroCall& call, size_t i, int* rule) {
  *rule = -1;
  if (i >= call.Count() || call.Arg(i).empty()) return true;
  const int n = call.Integer(i);
  if (call.failed) return false;
  if (n != 0 && n != 1) {
    call.SyntaxError();
    return false;
  }
  *rule = n;
  return true;
}

void HeaderOrFooter(MacroCall& call, bool header) {
  std::string text;
  int rule = -1;
  if (!call.Text(0, &text) || !RuleArgument(call, 1, &rule)) return;
  if (header) {
    SetPrintHeader(text, rule);
  } else {
    SetPrintFooter(text, rule);
  }
}

}  // namespace

// PRINTALL: the used area of the sheet.
void DoPrintAll(MacroCall& call) {
  (void)call;
  PrintUsedArea();
}

// PRINTRANGE range: stores the print range and prints it.
void DoPrintRange(MacroCall& call) {
  CellRange range;
  if (!call.Range(0, &range)) return;
  if (!RangeIsValid(range)) return call.SyntaxError();
  PrintCellRange(range);
}

// PRINTGRAPH name: the named graph.
void DoPrintGraph(MacroCall& call) {
  std::string name;
  if (!call.Text(0, &name)) return;
  PrintGraphByName(name);
}

// PRINTFILE name, range: stores the print range and writes it as a text file.
void DoPrintFile(MacroCall& call) {
  std::string name;
  CellRange range;
  if (!call.Text(0, &name) || !call.Range(1, &range)) return;
  if (name.empty() || !RangeIsValid(range)) return call.SyntaxError();
  PrintRangeToTextFile(name, range);
}

// PRINTHEAD text[, rule] and PRINTFOOT text[, rule]: rule 1 draws the line, 0 not.
void DoPrintHead(MacroCall& call) { HeaderOrFooter(call, true); }
void DoPrintFoot(MacroCall& call) { HeaderOrFooter(call, false); }

// PRINTMARGIN top, left, right, bottom: inches; omitted ones are left as they are.
void DoPrintMargin(MacroCall& call) {
  double margins[4] = {-1, -1, -1, -1};
  for (size_t i = 0; i < 4; ++i) {
    if (i >= call.Count() || call.Arg(i).empty()) continue;
    const double v = call.Value(i);
    if (call.failed) return;
    if (!std::isfinite(v) || v < 0 || v > 100) return call.SyntaxError();
    margins[i] = v;
  }
  SetPrintMargins(margins[0], margins[1], margins[2], margins[3]);
}

// PRINTBORDER rows, columns: the border rows and columns; NUL for none.
void DoPrintBorder(MacroCall& call) {
  CellRange rows, columns;
  if (!call.Range(0, &rows) || !call.Range(1, &columns)) return;
  SetPrintBorders(rows, columns);
}

// PRINTOPTION text: G, A, M, L, H, F with Y or N, S with a scale of 10 to 400.
void DoPrintOption(MacroCall& call) {
  std::string text;
  if (!call.Text(0, &text)) return;
  if (!SetPrintOptions(text, NumberFormatSettings().argumentSeparator).Done()) {
    call.SyntaxError();
  }
}
