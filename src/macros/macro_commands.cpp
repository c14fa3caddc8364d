// macros/macro_commands.cpp — argument readings and the commands that act on the sheet, the
// user and the window: LET, GOTO, input, menus, sound, view, names, layout, saving.
//
// State: the interpreter's (interpreter_internal.h). Changes cells only through sheet_changes.h.
#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/cell_store.h"
#include "core/entry.h"
#include "core/format.h"
#include "core/number_settings.h"
#include "core/sheet_scope.h"
#include "core/text_case.h"
#include "core/worksheets.h"
#include "files/worksheet_file.h"
#include "formula/formula_text.h"
#include "macros/command_handlers.h"
#include "macros/interpreter_internal.h"
#include "macros/sheet_changes.h"
#include "macros/vocabulary.h"

// --- argument readings ---------------------------------------------------------------------------

bool MacroCall::Range(size_t i, CellRange* out) {
  if (failed) return false;
  const std::string_view text = Arg(i);
  if (SameTextIgnoringCase(text, "NUL")) {
    *out = NoRange();
    return true;
  }
  ClearError();
  CellRange r = ParseRange(text.empty() ? std::string_view("CURSOR") : text);
  if (ErrorRaised() || !RangeIsValid(r) || !IsValidCell(r.firstRow, r.firstColumn) ||
      !IsValidCell(r.lastRow, r.lastColumn)) {
    ClearError();
    SyntaxError();
    return false;
  }
  if (r.firstColumn > r.lastColumn) std::swap(r.firstColumn, r.lastColumn);
  if (r.firstRow > r.lastRow) std::swap(r.firstRow, r.lastRow);
  *out = r;
  return true;
}

bool MacroCall::Cell(size_t i, CellAddress* out) {
  CellRange r;
  if (!Range(i, &r)) return false;
  if (!RangeIsValid(r)) {
    SyntaxError();
    return false;
  }
  *out = CellAddress{r.firstColumn, r.firstRow};
  return true;
}

double MacroCall::Value(size_t i) {
  const std::string_view text = Arg(i);
  if (SameTextIgnoringCase(text, "NUL") || SameTextIgnoringCase(text, "FALSE")) return 0;
  if (SameTextIgnoringCase(text, "TRUE")) return 1;
  std::string formula(text);
  if (formula.empty() || (formula[0] != '+' && formula[0] != '-')) formula.insert(0, "+");
  const EvalResult r = EvaluateText(formula);
  if (r.error || r.isString || !std::isfinite(r.number)) return 0;
  return r.number;
}

int MacroCall::Integer(size_t i) {
  const double v = std::round(Value(i));
  if (!(std::fabs(v) < 2147483647.0)) return 0;
  return static_cast<int>(v);
}

EvalResult MacroCall::Formula(size_t i) {
  std::string formula(Arg(i));
  const char first = formula.empty() ? '\0' : formula[0];
  if (first != '(' && first != '+' && first != '-' && first != '@' && first != '"') {
    formula.insert(0, "+");
  }
  return EvaluateText(formula);
}

bool MacroCall::Text(size_t i, std::string* out) {
  if (failed) return false;
  const EvalResult r = Formula(i);
  if (r.error || !r.isString) {
    SyntaxError();
    return false;
  }
  *out = r.text;
  return true;
}

void MacroCall::SyntaxError() { Fail(MacroSyntaxErrorText()); }

void MacroCall::Fail(std::string_view message) {
  if (failed) return;
  failed = true;
  MacroFail(message);
}

std::string MacroNumberText(double value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text = ec == std::errc() ? std::string(buffer, end) : std::string("0");
  const char separator = NumberFormatSettings().decimalSeparator;
  if (separator != '.') std::replace(text.begin(), text.end(), '.', separator);
  return text;
}

namespace {

// The text of an evaluated value: the string, or the number's shortest text.
std::string ResultText(const EvalResult& r) {
  if (r.isString) return r.text;
  return MacroNumberText(r.number);
}

// A label with the sheet's default prefix.
std::string LabelEntry(std::string_view text) { return std::string(1, AlignmentPrefix(0)) + std::string(text); }

// A prompt argument: evaluated when it is a formula or a quoted text, else taken as written.
std::string PromptText(MacroCall& call, size_t i) {
  const std::string_view text = call.Arg(i);
  const char first = text.empty() ? '\0' : text[0];
  if (first == '"' || first == '+' || first == '-' || first == '(' || first == '@') {
    const EvalResult r = call.Formula(i);
    return r.error ? std::string() : ResultText(r);
  }
  return std::string(text);
}

// What a cell shows as a menu item or description: its contents without the label prefix.
std::string ItemText(uint16_t column, uint16_t row) {
  const CellHandle cell = GetCell(row, column);
  if (!cell) return {};
  std::string text = CellContentsText(cell);
  if (KindIsLabel(KindOf(cell)) && !text.empty()) text.erase(0, 1);
  return text;
}

void ShowMenu(MacroCall& call, bool isCall) {
  CellRange r;
  SlotIndex sheet = 0;
  if (!call.Target(0, &sheet, &r) || !RangeIsValid(r)) {
    if (!call.failed) call.SyntaxError();
    return;
  }
  const uint16_t lastColumn = RangeIsSingleCell(r) ? kColumnCount - 1 : r.lastColumn;
  MacroInputRequest request;
  request.kind = MacroInputKind::kMenu;
  MacroPendingInput pending;
  pending.kind = MacroInputKind::kMenu;
  pending.menuCall = isCall;
  pending.menuSheet = sheet;
  {
    // The items are part of the macro: they are read from the sheet that holds them.
    SheetScope scope(sheet);
    for (uint32_t column = r.firstColumn; column <= lastColumn; ++column) {
      std::string item = ItemText(static_cast<uint16_t>(column), r.firstRow);
      if (item.empty()) break;
      request.items.push_back(std::move(item));
      request.descriptions.push_back(
          r.firstRow + 1 < kRowCount ? ItemText(static_cast<uint16_t>(column), r.firstRow + 1)
                                     : "");
      pending.menuItems.push_back(CellAddress{static_cast<uint16_t>(column), r.firstRow});
    }
  }
  if (request.items.empty() || r.firstRow + 2 >= kRowCount) {
    call.SyntaxError();
    return;
  }
  MacroAskInput(request, pending);
}

void AskIntoCell(MacroCall& call, MacroInputKind kind, size_t promptIndex, size_t cellIndex) {
  CellAddress cell;
  MacroInputRequest request;
  request.kind = kind;
  if (promptIndex != SIZE_MAX) request.prompt = PromptText(call, promptIndex);
  if (!call.Cell(cellIndex, &cell)) return;
  MacroPendingInput pending;
  pending.kind = kind;
  pending.column = cell.column;
  pending.row = cell.row;
  MacroAskInput(request, pending);
}

}  // namespace

void MacroHandleReply(const MacroPendingInput& pending, const std::string& reply) {
  switch (pending.kind) {
    case MacroInputKind::kEntry: {
      if (reply.empty()) return;
      const PlatformCell at = ThePlatform().CurrentCell();
      MacroEnter(at.row, at.column, reply);
      return;
    }
    case MacroInputKind::kKey:
    case MacroInputKind::kLabel:
    case MacroInputKind::kFile:
      MacroEnter(pending.row, pending.column, LabelEntry(reply));
      return;
    case MacroInputKind::kValue:
      MacroEnter(pending.row, pending.column, reply);
      return;
    case MacroInputKind::kMenu: {
      size_t choice = 0;
      std::from_chars(reply.data(), reply.data() + reply.size(), choice);
      if (choice < 1 || choice > pending.menuItems.size()) {
        MacroFail("Break! " + MacroCellText(), /*trappable=*/false);
        return;
      }
      const CellAddress item = pending.menuItems[choice - 1];
      const uint16_t row = static_cast<uint16_t>(item.row + 2);
      if (pending.menuCall) {
        MacroCallAt(item.column, row, nullptr, pending.menuSheet);
      } else {
        MacroJumpTo(item.column, row, pending.menuSheet);
      }
      return;
    }
  }
}

// --- commands -------------------------------------------------------------------------------------

void NotAvailable(MacroCall& call) { call.Fail("Not available: " + call.step.name); }

void NeedsWindow(MacroCall& call) { call.Fail("Needs a window: " + call.step.name); }

void DoNothing(MacroCall&) {}

void DoLet(MacroCall& call) {
  CellAddress cell;
  if (!call.Cell(0, &cell)) return;
  const std::string_view text = call.Arg(1);
  std::string entry;
  if (SameTextIgnoringCase(text, "NUL") || SameTextIgnoringCase(text, "FALSE")) {
    entry = "0";
  } else if (SameTextIgnoringCase(text, "TRUE")) {
    entry = "1";
  } else {
    const EvalResult r = call.Formula(1);
    if (r.error) {
      entry = "@ERR";
    } else if (r.isString) {
      entry = r.text;
    } else {
      entry = MacroNumberText(r.number);
    }
  }
  MacroEnter(cell.row, cell.column, entry);
}

void DoGoto(MacroCall& call) {
  CellAddress cell;
  if (call.Cell(0, &cell)) ThePlatform().MoveCursor(PlatformCell{cell.column, cell.row});
}

void DoAnchor(MacroCall& call) { AnchorHeadlessSelection(call.Integer(0) == 1); }

void DoPause(MacroCall&) {
  MacroInputRequest request;
  request.kind = MacroInputKind::kEntry;
  MacroAskInput(request, MacroPendingInput{});
}

void DoGet(MacroCall& call) { AskIntoCell(call, MacroInputKind::kKey, SIZE_MAX, 0); }
void DoInputLabel(MacroCall& call) { AskIntoCell(call, MacroInputKind::kLabel, 0, 1); }
void DoInputValue(MacroCall& call) { AskIntoCell(call, MacroInputKind::kValue, 0, 1); }

void DoMenuJump(MacroCall& call) { ShowMenu(call, false); }
void DoMenuCall(MacroCall& call) { ShowMenu(call, true); }

void DoFilePick(MacroCall& call) {
  MacroInputRequest request;
  request.kind = MacroInputKind::kFile;
  if (!call.Text(0, &request.fileName) || !call.Text(1, &request.filter)) return;
  CellAddress cell;
  if (!call.Cell(2, &cell)) return;
  MacroPendingInput pending;
  pending.kind = MacroInputKind::kFile;
  pending.column = cell.column;
  pending.row = cell.row;
  MacroAskInput(request, pending);
}

void DoBeep(MacroCall&) { ThePlatform().Beep(); }

void DoTone(MacroCall& call) {
  const int frequency = call.Integer(0);
  const int duration = call.Integer(1);
  if (frequency < 1 || duration < 1) return;
  MacroAfterPlatformWait(ThePlatform().Tone(frequency, duration), MacroWaitFor::kDelay);
}

void DoDelay(MacroCall& call) {
  const int milliseconds = call.Integer(0);
  if (milliseconds < 1) return;
  MacroAfterPlatformWait(ThePlatform().MacroDelay(milliseconds), MacroWaitFor::kDelay);
}

void DoPlayWave(MacroCall& call) {
  std::string name;
  if (!call.Text(0, &name)) return;
  ThePlatform().PlayWave(name, call.Integer(1));
}

void DoExec(MacroCall& call) {
  std::string command;
  if (!call.Text(0, &command)) return;
  switch (ThePlatform().RunProgram(command)) {
    case ProgramRun::kStarted: break;
    case ProgramRun::kRefused: call.Fail("EXEC refused"); break;
    case ProgramRun::kFailed: call.Fail("Cannot run: " + command); break;
  }
}

void DoRecalc(MacroCall&) { MacroRecalculate(); }
void DoUpdate(MacroCall&) { ThePlatform().Repaint(); }
void DoUndo(MacroCall&) { MacroUndo(); }

void DoView(MacroCall& call) {
  std::string text;
  if (!call.Text(0, &text)) return;
  const struct {
    char letter;
    WindowBar bar;
  } kBars[] = {{'Q', WindowBar::kQuickButtons}, {'M', WindowBar::kMacroButtons}, {'S', WindowBar::kStatus}};
  for (const auto& b : kBars) {
    const size_t at = text.find(b.letter);
    if (at == std::string::npos) continue;
    ThePlatform().ShowBar(b.bar, at + 1 < text.size() && text[at + 1] == '1');
  }
}

void DoViewZoom(MacroCall& call) {
  ThePlatform().SetZoom(std::clamp(call.Integer(0), 20, 200));
}

// COLWIDTH range, width: the width in characters of the range's columns (255: the default).
void DoColumnWidth(MacroCall& call) {
  CellRange r;
  if (!call.Range(0, &r)) return;
  const int width = std::clamp(call.Integer(1), 0, 255);
  if (!RangeIsValid(r)) return;
  MacroSetColumnWidths(r, width);
}

// ROWHEIGHT range, height: the height in pixels of the range's rows (255: the default).
void DoRowHeight(MacroCall& call) {
  CellRange r;
  if (!call.Range(0, &r)) return;
  const int height = std::clamp(call.Integer(1), 0, 255);
  if (!RangeIsValid(r)) return;
  MacroSetRowHeights(r, height);
}

void DoGlobalFormat(MacroCall& call) {
  std::string letters;
  if (!call.Text(0, &letters)) return;
  MacroSetGlobalFormat(ParseFormatLetters(letters.substr(0, 8)));
}

// {FILEDOC title, comments}: both texts at once. {FILEDOC n, text}: the title (n = 0) or the
// comments (n = 1) alone. A first argument that gives a number chooses the second form.
void DoFileDocument(MacroCall& call) {
  const EvalResult first = call.Formula(0);
  if (first.error) {
    call.SyntaxError();
    return;
  }
  std::string second;
  if (!call.Text(1, &second)) return;
  if (first.isString) {
    MacroSetDocumentInfo(first.text, second);
    return;
  }
  if (first.number != 0 && first.number != 1) {
    call.SyntaxError();
    return;
  }
  MacroSetDocumentText(int(first.number), second);
}

void DoRangeCreate(MacroCall& call) {
  std::string name;
  CellRange r;
  if (!call.Text(0, &name) || !call.Range(1, &r)) return;
  if (!RangeIsValid(r)) {
    call.SyntaxError();
    return;
  }
  MacroDefineName(name.substr(0, 8), r);
}

void DoRangeDelete(MacroCall& call) {
  std::string name;
  if (call.Text(0, &name)) MacroDeleteName(name.substr(0, 8));
}

void DoRangeReset(MacroCall&) { MacroResetNames(); }

void DoRangeBuild(MacroCall& call) {
  CellRange r;
  if (call.Range(0, &r) && RangeIsValid(r)) MacroBuildNames(r);
}

void DoRangeTable(MacroCall& call) {
  CellRange r;
  if (call.Range(0, &r) && RangeIsValid(r)) MacroTableNames(r);
}

// RANGEFORMAT range, letters: the format code the letters name (cut to 8 characters).
void DoRangeFormat(MacroCall& call) {
  CellRange r;
  std::string letters;
  if (!call.Range(0, &r)) return;
  if (!RangeIsValid(r)) return call.SyntaxError();
  if (!call.Text(1, &letters)) return;
  MacroSetRangeFormat(r, ParseFormatLetters(letters.substr(0, 8)));
}

// RANGELOCK range, n: n other than 0 locks the range's cells, 0 unlocks them.
void DoRangeLock(MacroCall& call) {
  CellRange r;
  if (!call.Range(0, &r)) return;
  if (!RangeIsValid(r)) return call.SyntaxError();
  const int n = call.Integer(1);
  if (call.failed) return;
  MacroSetRangeLock(r, n != 0);
}

// RANGECOLOR range, shade, colour: the colour word colour * 2^24 + shade.
void DoRangeColour(MacroCall& call) {
  CellRange r;
  if (!call.Range(0, &r)) return;
  if (!RangeIsValid(r)) return call.SyntaxError();
  const int shade = call.Integer(1);
  const int colour = call.Integer(2);
  if (call.failed) return;
  MacroSetRangeColourWord(r, (uint32_t(colour) << 24) + uint32_t(shade));
}

void DoFileSave(MacroCall&) {
  const SlotIndex sheet = CurrentWorksheet();
  if (sheet == 0) return;
  SaveWorksheet(Worksheet(sheet).fileName);
}

void DoFileSaveAs(MacroCall& call) {
  std::string name;
  if (!call.Text(0, &name)) return;
  if (call.Integer(1) != 0) {
    NeedsWindow(call);
    return;
  }
  SaveWorksheet(name);
}
