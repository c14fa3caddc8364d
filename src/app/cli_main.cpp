// app/cli_main.cpp — tallivo-cli, the batch face of the engine.
//
// Works on one worksheet: runs the actions of the command line in order, then exits. Engine
// messages go to standard error as "Error: TEXT" and do not change the exit status; a bad action
// or argument prints the usage and exits with status 2. The settings file and the user function
// file of the program directory (or of TALLIVO_HOME) are read at start and never written. Text
// crosses the tool's edge in cli_output.h: UTF-8 outside, Windows-1252 inside. Every change of
// the worksheet goes through the commands layer, as in the desktop program.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli_output.h"
#ifdef TALLIVO_CLI_DRAWS_GRAPHS
#include "app/cli_graphs.h"
#endif
#include "commands/audit.h"
#include "commands/commands.h"
#include "commands/engine_start.h"
#include "commands/clipboard.h"
#include "commands/justify.h"
#include "commands/print_commands.h"
#include "commands/worksheet_files.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "core/charset.h"
#include "core/entry.h"
#include "core/format.h"
#include "core/graph_definition.h"
#include "core/global_options.h"
#include "core/messages.h"
#include "core/names.h"
#include "core/sheet_layout.h"
#include "core/worksheets.h"
#include "files/macro_button.h"
#include "files/print_layout.h"
#include "files/settings.h"
#include "files/worksheet_file.h"
#include "formula/cell_code.h"
#include "formula/recalc.h"
#include "macros/interpreter.h"
#include "platform/headless/headless_platform.h"

namespace {

const char kUsage[] =
    "usage: tallivo-cli [FILE] [ACTION ...]\n"
    "\n"
    "Runs the actions on one worksheet (FILE, loaded and recalculated, or a new empty sheet) in\n"
    "the order given, then exits. Messages of the engine are printed on standard error as \"Error: TEXT\".\n"
    "Texts are read and printed as UTF-8 (worksheets hold Windows-1252); file names are used as\n"
    "given. A FILE from which no cell could be read ends the run with status 1.\n"
    "\n"
    "actions:\n"
    "  -e, --enter CELL TEXT      enter TEXT into CELL as typed on the entry line\n"
    "  --format RANGE CODE        set the number format of RANGE (letters such as F2, M2, D1,\n"
    "                             T3, or the format byte as a number: 43, 0x2B)\n"
    "  --global-format CODE       set the worksheet's global format\n"
    "  --width COLUMN CHARS       set a column width in characters\n"
    "  --protect on|off           switch cell protection of the worksheet\n"
    "  --lock RANGE on|off        set or clear the protection bit of the cells of RANGE\n"
    "  --name NAME RANGE          define a range name\n"
    "  --button CELL WIDTH HEIGHT CAPTION MACRO\n"
    "                             place a macro button at CELL (WIDTH x HEIGHT pixels) that runs\n"
    "                             the macro at the range name MACRO\n"
    "  --save-graph FILE [NAME]   draw the current graph, or the named graph NAME, into an\n"
    "                             image (800x600 unless --graph-size says otherwise) and write\n"
    "                             it to FILE as BMP or PNG by its extension\n"
    "  --graph-size WIDTHxHEIGHT  the image size of later --save-graph actions (16 to 4096)\n"
    "  --graph-turn N             turn the 3-D view of later --save-graph actions N times by\n"
    "                             11.25 degrees (0 to 31), as Shift+A in the graph window\n"
    "  --quick-graph RANGE        make the current graph a quick graph of RANGE: reset, then the\n"
    "                             columns from the left become X and series 1 to 6\n"
    "  --justify RANGE PIXELS [pad|center]\n"
    "                             reflow the labels of RANGE's first column into lines narrower\n"
    "                             than PIXELS less 4 (8 pixels a character), padding the gaps;\n"
    "                             or centre each row's text\n"
    "  --tree CELL DEPTH          print the formulas that depend on CELL, DEPTH levels down:\n"
    "                             \"A1: 5\", each dependent \"REF: ENTRY\" indented two blanks a\n"
    "                             level, then \"Total References: N\"\n"
    "  --xref RANGE FILE          write the cross-reference report of RANGE to FILE (- for\n"
    "                             standard output): each cell with dependents, its type and kind,\n"
    "                             their number and their references\n"
    "  --clipboard-in text|private FILE\n"
    "                             the clipboard holds FILE's bytes in that one format\n"
    "  --clipboard-out text|private FILE\n"
    "                             write that format of the clipboard to FILE (-: standard\n"
    "                             output) as the worksheet holds it: Windows-1252, CR LF\n"
    "  --undo                     undo the last change (repeat to go further back)\n"
    "  --redo                     redo the last change undone\n"
    "  --recalc                   recalculate the worksheet\n"
    "  --uplink                   read the cells that @LINK names from their files again and\n"
    "                             recalculate every open worksheet\n"
    "  --manual, --auto           switch to manual or automatic recalculation\n"
    "  -p, --print [--json] [RANGE]\n"
    "                             print the occupied cells of RANGE (default: A1 to the last\n"
    "                             used cell): ADDRESS KIND VALUE DISPLAY CONTENTS, TAB-separated,\n"
    "                             or with --json one JSON object per line\n"
    "  --rows RANGE               print each row of RANGE laid out as fixed-width text\n"
    "  --code CELL                print the formula code of CELL as a file carries it, in hex\n"
    "  --pages [RANGE]            list the printed pages of RANGE (default: the print range, else\n"
    "                             the used area) on US Letter: \"page N columns A..K rows 1-3,5\",\n"
    "                             then \"header L|C|R\" and \"footer L|C|R\" when not empty\n"
    "  --printer FILE             print jobs of the run (PRINTALL, PRINTRANGE, PRINTGRAPH) go to\n"
    "                             FILE as PDF, each replacing it; without it a print job is\n"
    "                             \"No Printer\"\n"
    "  -o, --save FILE            save the worksheet (\".wks\" is added to a name without \".\")\n"
    "  --records FILE             list the records of a worksheet file: offset, type, name,\n"
    "                             length, and for cell records the address and contents, for\n"
    "                             graph records the type, ranges, scales, headings and legends,\n"
    "                             for macro buttons the cell, size, caption and macro, for the\n"
    "                             document title, comments and further text the text\n"
    "  --settings                 print the settings in force in the settings file's format\n"
    "  --macro CELL|NAME          run the macro that starts at CELL or at the range NAME\n"
    "  --macro-text TEXT          run TEXT as a one-line macro\n"
    "  --allow-exec               let macros run programs ({EXEC}); refused otherwise\n"
    "\n"
    "Macros type into a headless entry line at a cell pointer that starts at A1. Input they ask\n"
    "for ({?}, {GET}, {INLABEL}, {INVALUE}, {MENUBRANCH}, {FILEPICK}) is read from standard\n"
    "input, a line each; prompts and menu items go to standard error.\n"
    "  --version                  print the version and exit\n"
    "  -h, --help                 print this help and exit\n";

[[noreturn]] void Usage(const std::string& problem) {
  PrintProblem(problem);
  std::fprintf(stderr, "\n%s", kUsage);
  std::exit(2);
}

CellAddress CellArgument(const std::string& text) {
  ClearError();
  const ParsedCell cell = ParseCellRef(text);
  if (ErrorRaised() || !IsValidCell(cell.row, cell.column)) Usage("invalid cell '" + text + "'");
  return CellAddress{cell.column, cell.row};
}

// A range argument, corners ordered.
CellRange RangeArgument(const std::string& text) {
  ClearError();
  CellRange r = ParseRange(text);
  if (ErrorRaised() || !RangeIsValid(r) || !IsValidCell(r.lastRow, r.lastColumn)) {
    Usage("invalid range '" + text + "'");
  }
  if (r.firstColumn > r.lastColumn) std::swap(r.firstColumn, r.lastColumn);
  if (r.firstRow > r.lastRow) std::swap(r.firstRow, r.lastRow);
  return r;
}

bool OnOffArgument(const std::string& text) {
  if (text == "on") return true;
  if (text == "off") return false;
  Usage("expected on or off, not '" + text + "'");
}

// Format letters (F2, M2, D1, ...) or the format byte as a number (43, 0x2B).
uint8_t FormatArgument(const std::string& text) {
  if (text.empty()) Usage("empty format code");
  if (text[0] >= '0' && text[0] <= '9') {
    int base = 10;
    std::string_view digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
      base = 16;
      digits.remove_prefix(2);
    }
    unsigned value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (ec != std::errc() || end != digits.data() + digits.size() || value > 255) {
      Usage("invalid format code '" + text + "'");
    }
    return static_cast<uint8_t>(value);
  }
  return ParseFormatLetters(text);
}

uint16_t ColumnArgument(const std::string& text) {
  ClearError();
  const ParsedCell cell = ParseCellRef(text + "1");
  if (ErrorRaised() || cell.column >= kColumnCount) Usage("invalid column '" + text + "'");
  return cell.column;
}

// Macro input from standard input, one UTF-8 line per request (without its line end); prompts
// and menu items go to standard error. A line Windows-1252 cannot hold is asked for again.
bool ReadMacroInput(const MacroInputRequest& request, std::string* line) {
  auto show = [](std::string_view engineText) {
    std::fputs((Windows1252ToUtf8(engineText) + "\n").c_str(), stderr);
  };
  switch (request.kind) {
    case MacroInputKind::kLabel:
    case MacroInputKind::kValue:
      show(request.prompt);
      break;
    case MacroInputKind::kMenu:
      for (size_t i = 0; i < request.items.size(); ++i) {
        show(std::to_string(i + 1) + " " + request.items[i] + "\t" +
             (i < request.descriptions.size() ? request.descriptions[i] : std::string()));
      }
      break;
    case MacroInputKind::kFile:
      show(request.fileName + " (" + request.filter + ")");
      break;
    default: break;
  }
  for (;;) {
    std::string utf8;
    int c = 0;
    bool any = false;
    while ((c = std::fgetc(stdin)) != EOF) {
      any = true;
      if (c == '\n') break;
      utf8.push_back(static_cast<char>(c));
    }
    if (!any) return false;
    if (!utf8.empty() && utf8.back() == '\r') utf8.pop_back();
    if (Utf8ToWindows1252(utf8, line)) return true;
    PrintProblem("the answer holds a character that TALLIVO cannot keep; type it again");
  }
}

// Runs a started macro to its end (the headless platform never makes it wait).
void FinishMacro(MacroProgress progress) {
  while (progress == MacroProgress::kSliced) progress = ContinueMacro();
  if (progress == MacroProgress::kWaiting) StopMacro();
}

// A button's width or height in pixels.
uint16_t ButtonSizeArgument(const std::string& text) {
  unsigned pixels = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), pixels);
  if (ec != std::errc() || end != text.data() + text.size() || pixels < 1 ||
      pixels > kMacroButtonMaxSize) {
    Usage("invalid button size '" + text + "'");
  }
  return uint16_t(pixels);
}

// "WIDTHxHEIGHT", each 16..4096.
bool GraphSizeArgument(const std::string& text, int* width, int* height) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  int w = 0, h = 0;
  const char* end = text.data() + text.size();
  auto [wEnd, wError] = std::from_chars(text.data(), text.data() + x, w);
  auto [hEnd, hError] = std::from_chars(text.data() + x + 1, end, h);
  if (wError != std::errc() || wEnd != text.data() + x || hError != std::errc() || hEnd != end) {
    return false;
  }
  if (w < 16 || w > 4096 || h < 16 || h > 4096) return false;
  *width = w;
  *height = h;
  return true;
}

ClipFormat ClipFormatArgument(const std::string& text) {
  if (text == "text") return ClipFormat::kText;
  if (text == "private") return ClipFormat::kPrivate;
  Usage("expected text or private, not '" + text + "'");
}

// The bytes of a file as they are.
bool ReadWholeFile(const std::string& name, std::string* out) {
  std::FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) return false;
  char buffer[65536];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out->append(buffer, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

// Writes the bytes as they are; "-" is standard output.
bool WriteWholeFile(const std::string& name, std::string_view bytes) {
  std::FILE* f = name == "-" ? stdout : std::fopen(name.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (f == stdout ? std::fflush(f) == 0 : std::fclose(f) == 0) && ok;
  return ok;
}

class Arguments {
 public:
  Arguments(int argc, char** argv) : args_(argv + 1, argv + argc) {}
  bool Done() const { return next_ >= args_.size(); }
  // The next argument as engine text (arguments come in as UTF-8).
  std::string Take(const char* what, const std::string& action) {
    return ArgumentText(TakeFileName(what, action));
  }
  // The next argument as the bytes it is: file names are not converted.
  const std::string& TakeFileName(const char* what, const std::string& action) {
    if (Done()) Usage(action + " needs " + what);
    return args_[next_++];
  }
  // The next argument, as it is, when it is not an action.
  bool TakeOptional(std::string* out) {
    if (Done() || args_[next_].empty() || args_[next_][0] == '-') return false;
    *out = args_[next_++];
    return true;
  }
  // Takes the next argument when it is `flag`.
  bool TakeFlag(std::string_view flag) {
    if (Done() || args_[next_] != flag) return false;
    ++next_;
    return true;
  }

 private:
  std::vector<std::string> args_;
  size_t next_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("tallivo-cli %s\n", TALLIVO_VERSION);
      return 0;
    }
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }

  TheHeadlessPlatform().onMessage = [](std::string_view text) { PrintError(text); };
  TheHeadlessPlatform().readInput = &ReadMacroInput;
  TheHeadlessPlatform().realDelays = true;
  StartEngine(argv[0], &TheHeadlessPlatform());
  Arguments args(argc, argv);
  std::string file;
  const bool haveFile = args.TakeOptional(&file);
  // A damaged file keeps what was read (the engine reports where); a missing one, or one that
  // yielded nothing at all, ends the run.
  SlotIndex sheet = 0;
  if (haveFile) {
    const OpenedWorksheet opened = OpenWorksheetFile(file);
    if (opened.status == OpenStatus::kMissing) {
      ShowError("Unable to Open File");
      return 1;
    }
    if (opened.status == OpenStatus::kDamaged && !opened.anythingRead) {
      std::fprintf(stderr, "tallivo-cli: %s: not a worksheet file, nothing could be read\n",
                   opened.fileName.c_str());
      return 1;
    }
    sheet = opened.slot;
  } else {
    sheet = NewWorksheet("SHEET1.WKS");
  }
  if (sheet == 0) {
    std::fprintf(stderr, "tallivo-cli: no memory for a worksheet\n");
    return 1;
  }

  int graphWidth = 800;
  int graphHeight = 600;
  int graphTurns = 0;
  while (!args.Done()) {
    const std::string action = args.Take("an action", "");
    if (action == "-e" || action == "--enter") {
      const CellAddress cell = CellArgument(args.Take("a cell", action));
      const std::string text = args.Take("a text", action);
      EnterIntoCell(cell.row, cell.column, text);
    } else if (action == "--format") {
      const CellRange r = RangeArgument(args.Take("a range", action));
      const uint8_t code = FormatArgument(args.Take("a format code", action));
      SetRangeFormat(r, code & ~kFormatProtected);
    } else if (action == "--global-format") {
      SetGlobalFormat(FormatArgument(args.Take("a format code", action)) & ~kFormatProtected);
    } else if (action == "--width") {
      const uint16_t column = ColumnArgument(args.Take("a column", action));
      const std::string chars = args.Take("a width", action);
      unsigned width = 0;
      auto [end, ec] = std::from_chars(chars.data(), chars.data() + chars.size(), width);
      if (ec != std::errc() || end != chars.data() + chars.size() || width > 255) {
        Usage("invalid width '" + chars + "'");
      }
      SetColumnWidth(column, static_cast<uint16_t>(width * 8));
    } else if (action == "--protect") {
      SetSheetProtection(OnOffArgument(args.Take("on or off", action)));
    } else if (action == "--lock") {
      const CellRange r = RangeArgument(args.Take("a range", action));
      const bool on = OnOffArgument(args.Take("on or off", action));
      SetRangeLock(r, on);
    } else if (action == "--button") {
      const CellAddress cell = CellArgument(args.Take("a cell", action));
      MacroButton button;
      button.column = cell.column;
      button.row = cell.row;
      button.width = ButtonSizeArgument(args.Take("a width", action));
      button.height = ButtonSizeArgument(args.Take("a height", action));
      button.caption = args.Take("a caption", action);
      button.macro = args.Take("a macro name", action);
      if (button.macro.empty() || button.macro.size() > kMacroButtonMaxMacro) {
        Usage("invalid macro name '" + button.macro + "'");
      }
      AddMacroButton(button);
    } else if (action == "--name") {
      const std::string name = args.Take("a name", action);
      const CellRange r = RangeArgument(args.Take("a range", action));
      if (!CheckNewName(name).empty()) Usage("invalid name '" + name + "'");
      DefineRangeName(name, r);
    } else if (action == "--graph-size") {
      const std::string size = args.Take("a size", action);
      if (!GraphSizeArgument(size, &graphWidth, &graphHeight)) {
        Usage("invalid graph size '" + size + "'");
      }
    } else if (action == "--graph-turn") {
      const std::string turns = args.Take("a number of turns", action);
      char* end = nullptr;
      const long n = std::strtol(turns.c_str(), &end, 10);
      if (turns.empty() || *end != '\0' || n < 0 || n > 31) Usage("invalid graph turn '" + turns + "'");
      graphTurns = int(n);
    } else if (action == "--save-graph") {
      const std::string& target = args.TakeFileName("a file name", action);
      std::string name;
      int index = -1;
      if (args.TakeOptional(&name)) {
        name = ArgumentText(name);
        index = FindNamedGraph(name);
        if (index == 0) Usage("no named graph '" + name + "'");
      }
#ifdef TALLIVO_CLI_DRAWS_GRAPHS
      const char* format = GraphImageFormat(target);
      if (!format) Usage("a graph image is written as .bmp or .png, not '" + target + "'");
      const GraphImageResult result =
          SaveGraphImage(target, format, index, graphWidth, graphHeight, graphTurns);
      if (result == GraphImageResult::kUnwritable) {
        ShowError("Unable to WRITE");
        return 1;
      }
      if (result == GraphImageResult::kUndefined) ShowError("Graph Undefined!");
#else
      (void)target;
      (void)graphTurns;
      Usage("this tallivo-cli was built without graph drawing");
#endif
    } else if (action == "--quick-graph") {
      QuickGraph(RangeArgument(args.Take("a range", action)));
    } else if (action == "--justify") {
      const CellRange r = RangeArgument(args.Take("a range", action));
      const std::string pixels = args.Take("a width in pixels", action);
      int width = 0;
      auto [end, ec] = std::from_chars(pixels.data(), pixels.data() + pixels.size(), width);
      if (ec != std::errc() || end != pixels.data() + pixels.size() || width < 0) {
        Usage("invalid width '" + pixels + "'");
      }
      const bool pad = args.TakeFlag("pad");
      const bool centre = !pad && args.TakeFlag("center");
      JustifyRange(r, width, pad, centre);
    } else if (action == "--tree") {
      const CellAddress cell = CellArgument(args.Take("a cell", action));
      const std::string levels = args.Take("a depth", action);
      int depth = 0;
      auto [end, ec] = std::from_chars(levels.data(), levels.data() + levels.size(), depth);
      if (ec != std::errc() || end != levels.data() + levels.size() || depth < 0) {
        Usage("invalid depth '" + levels + "'");
      }
      for (const std::string& line : AuditTreeText(BuildAuditTree(cell.row, cell.column, depth))) {
        Print(line + "\n");
      }
    } else if (action == "--xref") {
      const CellRange r = RangeArgument(args.Take("a range", action));
      const std::string& target = args.TakeFileName("a file name or -", action);
      std::string report;
      for (const std::string& line : XRefReport(CrossReference(r))) report += line + "\n";
      if (target == "-") {
        Print(report);
      } else if (!WriteTextFile(target, report)) {
        std::fprintf(stderr, "tallivo-cli: cannot write %s\n", target.c_str());
        return 1;
      }
    } else if (action == "--clipboard-in" || action == "--clipboard-out") {
      const ClipFormat format = ClipFormatArgument(args.TakeFileName("text or private", action));
      const std::string& target = args.TakeFileName("a file name", action);
      if (action == "--clipboard-in") {
        std::string bytes;
        if (!ReadWholeFile(target, &bytes)) {
          std::fprintf(stderr, "tallivo-cli: cannot read %s\n", target.c_str());
          return 1;
        }
        HeadlessPlatform& platform = TheHeadlessPlatform();
        platform.clipboard[int(ClipFormat::kPrivate)].reset();
        platform.clipboard[int(ClipFormat::kText)].reset();
        platform.clipboard[int(format)] = std::move(bytes);
      } else {
        std::string bytes;
        if (!TheHeadlessPlatform().ClipboardText(format, &bytes)) {
          std::fprintf(stderr, "tallivo-cli: the clipboard holds no %s\n",
                       format == ClipFormat::kText ? "text" : "private format");
          return 1;
        }
        if (!WriteWholeFile(target, bytes)) {
          std::fprintf(stderr, "tallivo-cli: cannot write %s\n", target.c_str());
          return 1;
        }
      }
    } else if (action == "--undo") {
      UndoLastCommand();
    } else if (action == "--redo") {
      RedoLastCommand();
    } else if (action == "--uplink") {
      UpdateLinks();
    } else if (action == "--recalc") {
      RecalculateAll();
    } else if (action == "--manual") {
      SetManualRecalculation(true);
    } else if (action == "--auto") {
      SetManualRecalculation(false);
    } else if (action == "-p" || action == "--print") {
      bool json = args.TakeFlag("--json");
      std::string text;
      const CellRange r = args.TakeOptional(&text) ? RangeArgument(ArgumentText(text))
                                                   : MakeRange(0, 0, LastColumn(), LastRow());
      json = args.TakeFlag("--json") || json;
      PrintCells(r, json ? ListingForm::kJson : ListingForm::kTab);
    } else if (action == "--rows") {
      PrintRows(RangeArgument(args.Take("a range", action)));
    } else if (action == "--pages") {
      std::string text;
      const CellRange r =
          args.TakeOptional(&text) ? RangeArgument(ArgumentText(text)) : DefaultPrintRange();
      const PageLayout layout = LayOutPages(SheetPageSetup(r), BatchPageSize());
      if (layout.marginsTooLarge) {
        ShowError("Margins Too Large");
      } else {
        Print(PageListingText(layout));
      }
    } else if (action == "--printer") {
      const std::string target = args.TakeFileName("a file name", action);
      SetPrintJobPrinter([target](const PrintJob& job) {
#ifdef TALLIVO_CLI_DRAWS_GRAPHS
        if (job.kind == PrintJob::Kind::kGraph) {
          const GraphImageResult result = PrintGraphToPdfFile(target, job.graph);
          if (result == GraphImageResult::kSaved) return true;
          ShowError(result == GraphImageResult::kUndefined ? "Graph Undefined!" : "Unable to WRITE");
          RaiseError();
          return false;
        }
#endif
        return PrintJobToPdfFile(target, job);
      });
    } else if (action == "--code") {
      const CellAddress cell = CellArgument(args.Take("a cell", action));
      std::string tokens;
      const CellHandle h = GetCell(cell.row, cell.column);
      if (!h || !CellCodeFileForm(h, &tokens)) {
        PrintError(CellText(cell.row, cell.column, false, false) + " holds no formula");
      } else {
        Print(HexBytes(tokens) + "\n");
      }
    } else if (action == "-o" || action == "--save") {
      const std::string& target = args.TakeFileName("a file name", action);
      if (!SaveWorksheet(target)) return 1;
    } else if (action == "--macro") {
      const std::string& where = args.Take("a cell or a range name", action);
      const CellRange r = RangeArgument(where);
      FinishMacro(RunMacroAt(r.firstColumn, r.firstRow));
    } else if (action == "--macro-text") {
      FinishMacro(RunMacroText(args.Take("a macro text", action)));
    } else if (action == "--allow-exec") {
      TheHeadlessPlatform().allowPrograms = true;
    } else if (action == "--settings") {
      PrintSettings(SettingsText());
    } else if (action == "--records") {
      const std::string& target = args.TakeFileName("a file name", action);
      std::string listing;
      if (!ListWorksheetRecords(target, &listing)) {
        std::fprintf(stderr, "%s\n", listing.c_str());  // "cannot open NAME": the name as given
        return 1;
      }
      Print(listing);
    } else {
      Usage("unknown action '" + action + "'");
    }
  }
  CloseAllWorksheets();
  return 0;
}
