// macros/transfer_macro_commands.cpp — FILEIMPORT, FILEEXPORT and FILEMERGE.
//
// Each runs the worksheet command of commands/transfer_commands.h with the arguments in place of
// its dialog. File names are used as given. A kind the command does not know is a syntax error;
// what the transfer reports (a missing file, a read or write error) stops the macro through
// ShowError as every message does.
// Reads and writes: the current worksheet and the files named.
#include <cctype>

#include "commands/transfer_commands.h"
#include "files/worksheet_file.h"
#include "macros/command_handlers.h"
#include "macros/interpreter_internal.h"

namespace {

// An optional text argument: missing or empty gives "".
bool OptionalText(MacroCall& call, size_t i, std::string* out) {
  out->clear();
  if (i >= call.Count() || call.Arg(i).empty()) return true;
  return call.Text(i, out);
}

// An optional integer argument: missing gives 0; negative is a syntax error.
bool OptionalCount(MacroCall& call, size_t i, uint32_t* out) {
  *out = 0;
  if (i >= call.Count() || call.Arg(i).empty()) return true;
  const int n = call.Integer(i);
  if (call.failed) return false;
  if (n < 0) {
    call.SyntaxError();
    return false;
  }
  *out = uint32_t(n);
  return true;
}

}  // namespace

// FILEIMPORT name, target, kind[, start, count]: 0 lines as labels, 1 lines split into values,
// 2 the names of the files matching the name's extension, 3 a dBase table (records after
// `start`, at most `count`; missing or 0: all).
void DoFileImport(MacroCall& call) {
  std::string name;
  CellAddress target;
  if (!call.Text(0, &name) || !call.Cell(1, &target)) return;
  const int kind = call.Integer(2);
  if (call.failed) return;
  switch (kind) {
    case 0: ImportTextFile(name, target.row, target.column, TextImportMode::kLabels); return;
    case 1: ImportTextFile(name, target.row, target.column, TextImportMode::kValues); return;
    case 2: ImportTextFile(name, target.row, target.column, TextImportMode::kFileNames); return;
    case 3: {
      DbaseSelection selection;
      if (!OptionalCount(call, 3, &selection.start) || !OptionalCount(call, 4, &selection.count)) {
        return;
      }
      ImportDbaseFile(name, target.row, target.column, selection);
      return;
    }
    default: call.SyntaxError();
  }
}

// FILEEXPORT name, source, kind: 0 a worksheet file, 1 quoted text, 2 comma-delimited text,
// 3 a dBase table.
void DoFileExport(MacroCall& call) {
  std::string name;
  CellRange source;
  if (!call.Text(0, &name) || !call.Range(1, &source)) return;
  if (!RangeIsValid(source)) return call.SyntaxError();
  const int kind = call.Integer(2);
  if (call.failed) return;
  switch (kind) {
    case 0: ExportWorksheetRange(name, source); return;
    case 1: ExportTextFile(name, source, TextExportMode::kQuoted); return;
    case 2: ExportTextFile(name, source, TextExportMode::kComma); return;
    case 3: ExportDbaseFile(name, source); return;
    default: call.SyntaxError();
  }
}

// FILEMERGE name, target, source, options: source a range name or range text of the file ("":
// all of it); options letters F (formulas, else values), R (replace), S (sum), D (difference),
// in either case.
void DoFileMerge(MacroCall& call) {
  std::string name, source, options;
  CellAddress target;
  if (!call.Text(0, &name) || !call.Cell(1, &target)) return;
  if (!OptionalText(call, 2, &source) || !OptionalText(call, 3, &options)) return;
  bool formulas = false;
  uint16_t action = kMergeReplace;
  for (char c : options) {
    switch (std::toupper(static_cast<unsigned char>(c))) {
      case 'F': formulas = true; break;
      case 'R': action = kMergeReplace; break;
      case 'S': action = kMergeSum; break;
      case 'D': action = kMergeDifference; break;
      default: break;
    }
  }
  MergeWorksheetFile(name, target.row, target.column, formulas, action, source);
}
