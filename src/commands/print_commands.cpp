// commands/print_commands.cpp — print jobs and the print settings.
//
// State: PrintCommandsState (the installed printer and the grid choice). Reads and writes the
// current worksheet's options through RunCommand; writes the files named.
#include "commands/print_commands.h"

#include <cctype>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/global_options.h"
#include "core/graph_definition.h"
#include "core/messages.h"
#include "core/worksheets.h"
#include "files/atomic_file.h"
#include "files/print_layout.h"
#include "platform/platform.h"

namespace {

struct PrintCommandsState {
  PrintJobPrinter printer;
  bool showGrid = true;
};

PrintCommandsState& ThePrintCommandsState() {
  static PrintCommandsState state;
  return state;
}

CommandResult Failed(std::string message = {}) {
  return CommandResult{CommandStatus::kFailed, std::move(message)};
}

CommandResult SetText(bool header, std::string_view text, int rule) {
  return ChangeSheetOptions([&](GlobalOptions& o) {
    if (header) {
      o.setHeader(text.substr(0, GlobalOptions::kTextCapacity));
      if (rule >= 0) o.setHeaderRule(rule != 0);
    } else {
      o.setFooter(text.substr(0, GlobalOptions::kTextCapacity));
      if (rule >= 0) o.setFooterRule(rule != 0);
    }
  });
}

bool YesOrNo(std::string_view value, bool* out) {
  if (value.size() != 1) return false;
  const char c = char(std::toupper(static_cast<unsigned char>(value[0])));
  if (c != 'Y' && c != 'N') return false;
  *out = c == 'Y';
  return true;
}

}  // namespace

void SetPrintJobPrinter(PrintJobPrinter printer) {
  ThePrintCommandsState().printer = std::move(printer);
}

bool HavePrintJobPrinter() { return static_cast<bool>(ThePrintCommandsState().printer); }

void ResetPrintCommands() { ThePrintCommandsState() = PrintCommandsState{}; }

bool PrintShowsGrid() { return ThePrintCommandsState().showGrid; }
void SetPrintShowsGrid(bool on) { ThePrintCommandsState().showGrid = on; }

CommandResult RunPrintJob(const PrintJob& job) {
  if (CurrentWorksheet() == 0) return Failed();
  if (job.kind == PrintJob::Kind::kRange && !RangeIsValid(job.range)) return CommandResult{};
  const PrintJobPrinter& printer = ThePrintCommandsState().printer;
  if (!printer) {
    ShowError("No Printer");
    return Failed("No Printer");
  }
  ClearError();
  if (!printer(job)) return Failed(ErrorText());
  return CommandResult{};
}

CommandResult PrintUsedArea() {
  PrintJob job;
  job.range = UsedPrintRange();
  job.showGrid = PrintShowsGrid();
  return RunPrintJob(job);
}

CommandResult StorePrintRange(const CellRange& range) {
  const CellRange r = OrderedRange(range);
  return ChangeSheetOptions([&](GlobalOptions& o) { o.setPrintRange(r); });
}

CommandResult PrintCellRange(const CellRange& range) {
  const CellRange r = OrderedRange(range);
  const CommandResult stored = ChangeSheetOptions([&](GlobalOptions& o) { o.setPrintRange(r); });
  if (!stored.Done()) return stored;
  PrintJob job;
  job.range = r;
  job.showGrid = PrintShowsGrid();
  return RunPrintJob(job);
}

CommandResult PrintGraphByName(std::string_view name) {
  if (NamedGraphCount() == 0) return CommandResult{};
  const int index = FindNamedGraph(name);
  if (index == 0) {
    ThePlatform().Beep();
    return Failed();
  }
  PrintJob job;
  job.kind = PrintJob::Kind::kGraph;
  job.graph = index;
  return RunPrintJob(job);
}

CommandResult PrintRangeToTextFile(std::string_view fileName, const CellRange& range) {
  const CellRange r = OrderedRange(range);
  const CommandResult stored = ChangeSheetOptions([&](GlobalOptions& o) { o.setPrintRange(r); });
  if (!stored.Done()) return stored;
  ClearError();
  if (!PrintRangeToText(PrintFileName(fileName), r)) return Failed(ErrorText());
  return CommandResult{};
}

CommandResult SetPrintHeader(std::string_view text, int rule) { return SetText(true, text, rule); }
CommandResult SetPrintFooter(std::string_view text, int rule) { return SetText(false, text, rule); }

CommandResult SetPrintMargins(double top, double left, double right, double bottom) {
  return ChangeSheetOptions([&](GlobalOptions& o) {
    const double values[4] = {top, left, right, bottom};
    const int fields[4] = {GlobalOptions::kTopMargin, GlobalOptions::kLeftMargin,
                           GlobalOptions::kRightMargin, GlobalOptions::kBottomMargin};
    for (int i = 0; i < 4; ++i) {
      if (values[i] >= 0) o.setMargin(fields[i], values[i]);
    }
  });
}

CommandResult SetPrintBorders(const CellRange& rows, const CellRange& columns) {
  const CellRange r = RangeIsValid(rows) ? OrderedRange(rows) : NoRange();
  const CellRange c = RangeIsValid(columns) ? OrderedRange(columns) : NoRange();
  return ChangeSheetOptions([&](GlobalOptions& o) {
    o.setBorderRows(r);
    o.setBorderColumns(c);
  });
}

CommandResult SetPrintOptions(std::string_view text, char separator) {
  // Every item is checked before anything changes.
  struct Change {
    char letter;
    bool on;
    int scale;
  };
  std::vector<Change> changes;
  while (true) {
    const size_t end = text.find(separator);
    std::string_view item = text.substr(0, end);
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
    if (!item.empty()) {
      Change c{char(std::toupper(static_cast<unsigned char>(item[0]))), false, 0};
      const std::string_view value = item.substr(1);
      if (c.letter == 'S') {
        int scale = 0;
        if (value.empty() || value.size() > 3) return Failed();
        for (char d : value) {
          if (d < '0' || d > '9') return Failed();
          scale = scale * 10 + (d - '0');
        }
        if (scale < 10 || scale > 400) return Failed();
        c.scale = scale;
      } else if (std::string_view("GAMLHF").find(c.letter) == std::string_view::npos ||
                 !YesOrNo(value, &c.on)) {
        return Failed();
      }
      changes.push_back(c);
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return ChangeSheetOptions([&](GlobalOptions& o) {
    for (const Change& c : changes) {
      switch (c.letter) {
        case 'G': SetPrintShowsGrid(c.on); break;
        case 'A': o.setPrintFrame(c.on); break;
        case 'M': o.setPrintMono(c.on); break;
        case 'L': o.setLandscape(c.on); break;
        case 'H': o.setHeaderRule(c.on); break;
        case 'F': o.setFooterRule(c.on); break;
        default: o.setPrintScale(uint16_t(c.scale)); break;
      }
    }
  });
}

bool PrintJobToPdfFile(const std::string& path, const PrintJob& job) {
  if (job.kind == PrintJob::Kind::kGraph) {
    ShowError("Graphs print from the desktop program");
    RaiseError();
    return false;
  }
  const PageSize page = BatchPageSize();
  const PageLayout layout = LayOutPages(SheetPageSetup(job.range), page);
  if (layout.marginsTooLarge) {
    ShowError("Margins Too Large");
    RaiseError();
    return false;
  }
  if (!WriteFileAtomically(path, PrintedPagesPdf(layout, page))) {
    ShowError("Unable to WRITE");
    RaiseError();
    return false;
  }
  return true;
}
