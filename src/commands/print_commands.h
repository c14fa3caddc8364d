// commands/print_commands.h — printing and the print settings as worksheet commands.
//
// A print job (a range or a named graph) goes to the printer the front end installs: the
// desktop program prints through its print dialog's printer, the batch tool writes a PDF file.
// With none installed a job reports "No Printer". The print settings live in the worksheet's
// options; changing them is an undoable command that marks the sheet modified.
// State: the installed printer, the "Show Grid" choice of the print dialog (PrintCommandsState).
// Reads and writes: the current worksheet's options, the files named.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "commands/commands.h"
#include "core/address.h"

// What is to be printed.
struct PrintJob {
  enum class Kind : uint8_t { kRange, kGraph };
  Kind kind = Kind::kRange;
  CellRange range = NoRange();  // kRange: the cells, with the sheet's print settings
  int graph = 0;                // kGraph: the named graph, 1..count
  bool showGrid = true;         // grid lines on the printout
};

// Prints one job; reports its own failures through ShowError and gives false.
using PrintJobPrinter = std::function<bool(const PrintJob&)>;
// Installs the printer (an empty function removes it).
void SetPrintJobPrinter(PrintJobPrinter printer);
bool HavePrintJobPrinter();
// Forgets the printer and the grid choice (engine reset).
void ResetPrintCommands();

// "Show Grid" of the print dialog and of PRINTOPTION G (on at start).
bool PrintShowsGrid();
void SetPrintShowsGrid(bool on);

// Sends `job` to the printer: "No Printer" without one; an undefined range prints nothing.
CommandResult RunPrintJob(const PrintJob& job);
// "&All": the used area of the sheet.
CommandResult PrintUsedArea();
// Stores `range` (ordered) as the print range.
CommandResult StorePrintRange(const CellRange& range);
// Stores `range` as the print range and prints it.
CommandResult PrintCellRange(const CellRange& range);
// Prints the named graph `name`; a sheet without named graphs does nothing, an unknown name is
// "Graph Name not Found".
CommandResult PrintGraphByName(std::string_view name);
// Stores `range` as the print range and writes it as the text file `fileName` (".prn" added to
// a name without ".").
CommandResult PrintRangeToTextFile(std::string_view fileName, const CellRange& range);

// The settings. `rule` -1 leaves the rule flag unchanged, 0 clears it, 1 sets it.
CommandResult SetPrintHeader(std::string_view text, int rule);
CommandResult SetPrintFooter(std::string_view text, int rule);
// Margins in inches: top, left, right, bottom; a negative one is left unchanged.
CommandResult SetPrintMargins(double top, double left, double right, double bottom);
// Border rows and columns (NoRange() for none).
CommandResult SetPrintBorders(const CellRange& rows, const CellRange& columns);
// The options text of PRINTOPTION: items separated by `separator`, each a letter and a value:
// G (show grid), A (frame), M (mono), L (landscape), H (header rule), F (footer rule) with Y or
// N, S with a scale of 10 to 400. Any other item changes nothing and gives kFailed.
CommandResult SetPrintOptions(std::string_view text, char separator);

// The batch tool's printer: each job replaces `path` with a PDF of US Letter pages. "Margins Too
// Large" when the margins leave no room; "Unable to WRITE" when the file cannot be written. The
// engine draws no graphs: a named graph job is refused ("Graphs print from the desktop program")
// unless the tool's printer draws it itself.
bool PrintJobToPdfFile(const std::string& path, const PrintJob& job);
