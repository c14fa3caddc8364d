// macros/analysis_macro_commands.cpp — the macro commands of the data tools and the array
// operations: DATATABLE, DATABIN, DATAREGRESS, DATAPARSE, DATAGOAL, DATAQUERY, DATAMULREG and
// MATADD, MATSUB, MATMLT, MATINV, MATSLV, MATDET, MATLIN.
//
// Each reads its arguments as the command table says and runs the tool, which takes one undo
// group. A refusal reaches the user through ShowError, which stops the macro (or goes to its
// ONERROR handler).
// Reads and writes: the current worksheet through analysis/ and its GlobalOptions.
#include <string>
#include <string_view>
#include <vector>

#include "analysis/data_tools.h"
#include "analysis/matrix.h"
#include "analysis/regression.h"
#include "core/global_options.h"
#include "macros/command_handlers.h"
#include "macros/interpreter_internal.h"

namespace {

// The top-left cell of a range argument as an output cell.
bool OutputCell(MacroCall& call, size_t i, CellAddress* out) {
  CellRange r;
  if (!call.Range(i, &r)) return false;
  if (!RangeIsValid(r)) {
    call.SyntaxError();
    return false;
  }
  *out = CellAddress{r.firstColumn, r.firstRow};
  return true;
}

// Reads `count` range arguments from 0, then an output cell (when `output`).
bool Ranges(MacroCall& call, size_t count, CellRange* ranges, CellAddress* output) {
  for (size_t i = 0; i < count; ++i) {
    if (!call.Range(i, &ranges[i])) return false;
  }
  return !output || OutputCell(call, count, output);
}

// The function index of one term letter of DATAMULREG, or -1.
int TermFunction(char c) {
  if (c >= '0' && c <= '5') return c - '0';
  switch (c) {
    case 'S': case 's': return 6;
    case 'L': case 'l': return 7;
    case 'E': case 'e': return 8;
    default: return -1;
  }
}

}  // namespace

// DATATABLE input 1, input 2, table: the ranges become the data-table settings; two inputs when
// input 2 is a defined range ("NUL" leaves it undefined).
void DoDataTable(MacroCall& call) {
  CellRange r[3];
  if (!Ranges(call, 3, r, nullptr)) return;
  GlobalOptions& o = Options();
  o.setRange(GlobalOptions::kTableInput1, r[0]);
  o.setRange(GlobalOptions::kTableInput2, r[1]);
  o.setRange(GlobalOptions::kTableRange, r[2]);
  DataTable(r[0], r[1], r[2]);
}

// DATABIN data, bins, type: type 1 counts a <= x < b, any other a < x <= b.
void DoDataBin(MacroCall& call) {
  CellRange r[2];
  if (!Ranges(call, 2, r, nullptr)) return;
  const bool lowerInclusive = call.Integer(2) == 1;
  if (call.failed) return;
  Options().setBinLowerInclusive(lowerInclusive);
  FrequencyBins(r[0], r[1], lowerInclusive);
}

// DATAREGRESS x, y, output.
void DoDataRegress(MacroCall& call) {
  CellRange r[2];
  CellAddress output;
  if (!Ranges(call, 2, r, &output)) return;
  Regress(r[0], r[1], output);
}

// DATAPARSE range.
void DoDataParse(MacroCall& call) {
  CellRange range;
  if (!call.Range(0, &range)) return;
  ParseLabels(range);
}

// DATAGOAL input, output, desired, tolerance: two cells and two values.
void DoDataGoal(MacroCall& call) {
  CellAddress input, output;
  if (!call.Cell(0, &input) || !call.Cell(1, &output)) return;
  const double desired = call.Value(2);
  const double tolerance = call.Value(3);
  if (call.failed) return;
  GoalSeek(input, output, desired, tolerance);
}

// DATAQUERY input, criteria, output.
void DoDataQuery(MacroCall& call) {
  CellRange r[3];
  if (!Ranges(call, 3, r, nullptr)) return;
  QueryExtract(r[0], r[1], r[2]);
}

// DATAMULREG x, y, output, terms: the terms are literal text (enclosing double quotes dropped),
// one group per X column separated by "/", each character a term of that column: "0".."5" the
// powers, "S" square root, "L" ln|x|, "E" exp. No terms: the constant and each linear term.
void DoDataMultiRegress(MacroCall& call) {
  CellRange r[2];
  CellAddress output;
  if (!Ranges(call, 2, r, &output)) return;
  std::string_view terms = call.Arg(3);
  if (terms.size() >= 2 && terms.front() == '"' && terms.back() == '"') {
    terms = terms.substr(1, terms.size() - 2);
  }
  std::vector<int> codes;
  if (terms.empty()) {
    const CellRange x = OrderedRange(r[0]);
    codes = DefaultFitTerms(RangeIsValid(x) ? x.lastColumn - x.firstColumn + 1 : 1);
  } else {
    int column = 0;
    for (char c : terms) {
      if (c == '/') {
        ++column;
        continue;
      }
      const int function = TermFunction(c);
      if (function < 0) return call.SyntaxError();
      codes.push_back(kFitFunctions * column + function);
    }
  }
  FitTerms(r[0], r[1], output, codes);
}

// MATADD / MATSUB / MATMLT first, second, output.
void DoMatrixAdd(MacroCall& call) {
  CellRange r[2];
  CellAddress output;
  if (Ranges(call, 2, r, &output)) MatrixAddSubtract(r[0], r[1], output, false);
}

void DoMatrixSubtract(MacroCall& call) {
  CellRange r[2];
  CellAddress output;
  if (Ranges(call, 2, r, &output)) MatrixAddSubtract(r[0], r[1], output, true);
}

void DoMatrixMultiply(MacroCall& call) {
  CellRange r[2];
  CellAddress output;
  if (Ranges(call, 2, r, &output)) MatrixMultiply(r[0], r[1], output);
}

// MATINV / MATSLV / MATDET / MATLIN input, output.
void DoMatrixInvert(MacroCall& call) {
  CellRange r[1];
  CellAddress output;
  if (Ranges(call, 1, r, &output)) MatrixInvert(r[0], output);
}

void DoMatrixSolve(MacroCall& call) {
  CellRange r[1];
  CellAddress output;
  if (Ranges(call, 1, r, &output)) MatrixSolve(r[0], output);
}

void DoMatrixDeterminant(MacroCall& call) {
  CellRange r[1];
  CellAddress output;
  if (Ranges(call, 1, r, &output)) MatrixDeterminant(r[0], output);
}

void DoMatrixLinear(MacroCall& call) {
  CellRange r[1];
  CellAddress output;
  if (Ranges(call, 1, r, &output)) LinearProgram(r[0], output);
}
