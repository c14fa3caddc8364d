// macros/interpreter.cpp — the macro state machine and its control-flow commands.
//
// Lines are read from the sheet that holds the macro, translated (translator.h) and run step by
// step: keystrokes collect in a buffer that is played before each command and at the end of the
// line; commands run through the vocabulary's handlers. Errors come back through MacroFail and
// through ShowError (the trap and stop hook installed while a macro runs).
// State: MacroState (one instance, TheMacroState). Reads cells of the macro's sheet; changes
// cells only through sheet_changes.h.
#include "macros/interpreter.h"

#include <chrono>
#include <cmath>

#include "commands/block_commands.h"
#include "core/cell_store.h"
#include "core/messages.h"
#include "formula/formula_text.h"
#include "commands/commands.h"
#include "macros/command_handlers.h"
#include "core/names.h"
#include "macros/interpreter_internal.h"
#include "macros/macro_library.h"
#include "macros/sheet_changes.h"
#include "macros/vocabulary.h"

namespace {

using Clock = std::chrono::steady_clock;

// ShowError stops a running macro; with a handler the error goes to it (no beep, no box).
bool TrapError(std::string_view) {
  MacroState& s = TheMacroState();
  if (!s.running) return false;
  s.errorStop = true;
  if (!s.hasHandler) return false;
  s.trapped = true;
  return true;
}

void InstallErrorTrap() { SetErrorTrap(&TrapError); }

void ClearRun(MacroState& s) {
  s.running = false;
  s.breakRequested = false;
  s.singleStep = false;
  s.stepShown = false;
  s.lineLoaded = false;
  s.errorStop = false;
  s.trapped = false;
  s.waitingFor = MacroWaitFor::kNothing;
  s.keys.clear();
  s.text.clear();
  s.stack.clear();
  s.loops.clear();
  s.hasHandler = false;
  s.pending = MacroPendingInput{};
  CloseMacroFiles();
  ResetHeadlessKeyLine();
}

std::string CellName(SlotIndex, uint16_t column, uint16_t row) {
  if (row == kMacroTextRow) return "";
  return CellText(row, column, false, false);
}

// Runs `fn` with the macro's sheet current (it may be another open worksheet, such as the
// macro library); the active sheet is current again afterwards.
template <typename Fn>
auto WithMacroSheet(SlotIndex sheet, Fn fn) {
  const SlotIndex active = CurrentWorksheet();
  const bool swap = sheet != 0 && sheet != active && Worksheet(sheet).InUse();
  if (swap) ActivateWorksheet(sheet);
  auto result = fn();
  if (swap && active != 0) ActivateWorksheet(active);
  return result;
}

// Reads and translates the line at the position. False when the cell is empty or missing: the
// macro ends there.
bool LoadLine(MacroState& s) {
  if (s.position.row == kMacroTextRow) {
    s.line = TranslateMacroLine(s.text, SheetLineContext());
  } else {
    const bool found = WithMacroSheet(s.position.sheet, [&s] {
      if (!IsValidCell(s.position.row, s.position.column)) return false;
      const CellHandle cell = GetCell(s.position.row, s.position.column);
      if (!cell) return false;
      std::string text = CellContentsText(cell);
      if (KindIsLabel(KindOf(cell)) && !text.empty()) text.erase(0, 1);
      if (text.empty()) return false;
      s.line = TranslateMacroLine(text, SheetLineContext());
      return true;
    });
    if (!found) return false;
  }
  s.lineLoaded = true;
  s.stepShown = false;
  return true;
}

// Single-step mode: a beep, the caption "Step A5 : line", and a wait for the step key.
void ShowStep(MacroState& s) {
  s.stepShown = true;
  std::string line;
  if (s.position.row == kMacroTextRow) {
    line = s.text;
  } else {
    line = WithMacroSheet(s.position.sheet, [&s] {
      const CellHandle cell = GetCell(s.position.row, s.position.column);
      std::string text = CellContentsText(cell);
      if (KindIsLabel(KindOf(cell)) && !text.empty()) text.erase(0, 1);
      return text;
    });
  }
  ThePlatform().Beep();
  const std::string caption =
      "Step " + CellName(s.position.sheet, s.position.column, s.position.row) + " : " + line;
  MacroAfterPlatformWait(ThePlatform().StepWait(caption), MacroWaitFor::kStep);
}

void PlayKeys(MacroState& s) {
  std::string keys;
  keys.swap(s.keys);
  if (ThePlatform().PlayKeys(keys)) {
    s.waitingFor = MacroWaitFor::kKeys;
  } else {
    PlayHeadlessKeys(keys);
  }
}

void GoToHandler(MacroState& s) {
  s.hasHandler = false;
  s.stack.clear();
  s.loops.clear();
  s.keys.clear();
  s.waitingFor = MacroWaitFor::kNothing;
  s.position = s.handler;
  s.position.step = 0;
  s.lineLoaded = false;
}

MacroProgress Run(int sliceMs) {
  MacroState& s = TheMacroState();
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(sliceMs);
  unsigned ticks = 0;
  while (s.running) {
    if (s.errorStop) {
      s.errorStop = false;
      if (s.trapped) {
        s.trapped = false;
        GoToHandler(s);
      } else {
        ClearRun(s);
      }
      continue;
    }
    if (s.waitingFor != MacroWaitFor::kNothing) return MacroProgress::kWaiting;
    if (s.breakRequested) {
      s.breakRequested = false;
      MacroFail("Break! " + MacroCellText(), /*trappable=*/false);
      continue;
    }
    if (sliceMs > 0 && (++ticks & 63) == 0 && Clock::now() >= deadline) {
      return MacroProgress::kSliced;
    }
    if (!s.lineLoaded) {
      if (!LoadLine(s)) {
        ClearRun(s);
        break;
      }
      if (s.singleStep && s.position.step == 0) ShowStep(s);
      continue;
    }
    if (s.position.step >= s.line.size()) {
      if (!s.keys.empty()) {
        PlayKeys(s);
        continue;
      }
      if (s.position.row == kMacroTextRow || s.position.row + 1 >= kRowCount) {
        ClearRun(s);
        break;
      }
      ++s.position.row;
      s.position.step = 0;
      s.lineLoaded = false;
      continue;
    }
    const MacroStep& step = s.line[s.position.step];
    switch (step.kind) {
      case MacroStep::Kind::kKeys:
        s.keys += step.keys;
        ++s.position.step;
        if (s.keys.size() > kMacroKeyBuffer) PlayKeys(s);
        break;
      case MacroStep::Kind::kUnknown:
        MacroFail(MacroSyntaxErrorText());
        break;
      case MacroStep::Kind::kCommand: {
        if (!s.keys.empty()) {
          PlayKeys(s);
          break;
        }
        ++s.position.step;
        MacroCall call{step};
        // Whatever one command changes comes back with one Undo.
        UndoGroupScope group;
        MacroWordAt(step.word).handler(call);
        break;
      }
    }
  }
  return MacroProgress::kEnded;
}

MacroProgress Start(MacroPosition position, std::string_view text, int sliceMs) {
  MacroState& s = TheMacroState();
  const bool singleStep = s.singleStep;
  if (s.running) ClearRun(s);
  s.line.clear();
  if (CurrentWorksheet() == 0) return MacroProgress::kEnded;
  InstallErrorTrap();
  SetMacroCellsHook(&AdjustMacroCells);  // inserted and deleted rows move the macro's cells
  s.position = position;
  s.text = text;
  s.singleStep = singleStep;
  s.running = true;
  return Run(sliceMs);
}

// The number in a cell of the current sheet (0 for text, blank or no cell).
double MacroCounterValue(uint16_t column, uint16_t row) {
  const CellHandle cell = GetCell(row, column);
  if (!cell || !KindIsNumeric(KindOf(cell))) return 0;
  return CellNumber(CellAt(cell));
}

bool SameLine(const MacroPosition& a, const MacroPosition& b) {
  return a.sheet == b.sheet && a.column == b.column && a.row == b.row;
}

// Continues at `target`, keeping the loaded line when it is the same one.
void ContinueAt(MacroState& s, const MacroPosition& target) {
  const bool keep = s.lineLoaded && SameLine(s.position, target) &&
                    target.row != kMacroTextRow && target.step <= s.line.size();
  s.position = target;
  if (!keep) s.lineLoaded = false;
}

}  // namespace

MacroState& TheMacroState() {
  static MacroState state;
  return state;
}

// --- public interface ----------------------------------------------------------------------------

MacroProgress RunMacroAt(uint16_t column, uint16_t row, int sliceMs) {
  if (!IsValidCell(row, column)) return MacroProgress::kEnded;
  return Start(MacroPosition{CurrentWorksheet(), column, row, 0}, {}, sliceMs);
}

MacroProgress RunMacroIn(SlotIndex sheet, uint16_t column, uint16_t row, int sliceMs) {
  if (!IsValidCell(row, column) || sheet <= 0 || sheet >= kWorksheetSlots ||
      !Worksheet(sheet).InUse()) {
    return MacroProgress::kEnded;
  }
  return Start(MacroPosition{sheet, column, row, 0}, {}, sliceMs);
}

MacroProgress RunMacroText(std::string_view text, int sliceMs) {
  return Start(MacroPosition{CurrentWorksheet(), 0, kMacroTextRow, 0}, text, sliceMs);
}

MacroProgress ContinueMacro(int sliceMs) {
  MacroState& s = TheMacroState();
  if (!s.running) return MacroProgress::kEnded;
  if (s.waitingFor == MacroWaitFor::kInput) return MacroProgress::kWaiting;
  s.waitingFor = MacroWaitFor::kNothing;
  return Run(sliceMs);
}

void StopMacro() { ClearRun(TheMacroState()); }

void RequestMacroBreak() {
  if (TheMacroState().running) TheMacroState().breakRequested = true;
}

bool MacroRunning() { return TheMacroState().running; }
bool MacroWaiting() { return TheMacroState().waitingFor != MacroWaitFor::kNothing; }
void SetMacroSingleStep(bool on) { TheMacroState().singleStep = on; }
bool MacroSingleStep() { return TheMacroState().singleStep; }

void MacroInputAnswered(std::string_view reply) {
  MacroState& s = TheMacroState();
  if (!s.running || s.waitingFor != MacroWaitFor::kInput) return;
  s.waitingFor = MacroWaitFor::kNothing;
  const MacroPendingInput pending = s.pending;
  MacroHandleReply(pending, std::string(reply));
}

void MacroInputCancelled() {
  MacroState& s = TheMacroState();
  if (!s.running || s.waitingFor != MacroWaitFor::kInput) return;
  s.waitingFor = MacroWaitFor::kNothing;
  MacroFail("Break! " + MacroCellText(), /*trappable=*/false);
}

std::string MacroCellText() {
  const MacroState& s = TheMacroState();
  return CellName(s.position.sheet, s.position.column, s.position.row);
}

void AdjustMacroCells(
    const std::function<void(SlotIndex sheet, uint16_t* column, uint16_t* row)>& adjust) {
  MacroState& s = TheMacroState();
  if (!s.running) return;
  if (s.position.row != kMacroTextRow) adjust(s.position.sheet, &s.position.column, &s.position.row);
  for (MacroPosition& p : s.stack) {
    if (p.row != kMacroTextRow) adjust(p.sheet, &p.column, &p.row);
  }
  for (MacroLoop& l : s.loops) {
    adjust(l.sheet, &l.counterColumn, &l.counterRow);
    if (l.body.row != kMacroTextRow) adjust(l.body.sheet, &l.body.column, &l.body.row);
  }
  if (s.hasHandler) adjust(s.handler.sheet, &s.handler.column, &s.handler.row);
}

void ResetMacroState() {
  MacroState& s = TheMacroState();
  ClearRun(s);
  s.line.clear();
  ResetMacroLibrary();
}

// --- for the command routines -------------------------------------------------------------------

void MacroFail(std::string_view message, bool trappable) {
  MacroState& s = TheMacroState();
  if (!s.running) {
    ShowError(message);
    return;
  }
  if (trappable && s.hasHandler) {
    GoToHandler(s);
    return;
  }
  s.hasHandler = false;
  ShowError(message);
  ClearRun(s);
}

std::string MacroSyntaxErrorText() { return "Syntax Error: " + MacroCellText(); }

void MacroJumpTo(uint16_t column, uint16_t row, SlotIndex sheet) {
  MacroState& s = TheMacroState();
  s.position = MacroPosition{sheet != 0 ? sheet : s.position.sheet, column, row, 0};
  s.lineLoaded = false;
}

bool MacroCallAt(uint16_t column, uint16_t row, const MacroPosition* returnTo, SlotIndex sheet) {
  MacroState& s = TheMacroState();
  if (s.stack.size() >= static_cast<size_t>(kMaxMacroNesting)) {
    MacroFail("Stack Overflow, Nesting>20 ");
    return false;
  }
  s.stack.push_back(returnTo ? *returnTo : MacroNextStep());
  MacroJumpTo(column, row, sheet);
  return true;
}

bool MacroCall::Target(size_t i, SlotIndex* sheet, CellRange* out) {
  if (failed) return false;
  const MacroState& s = TheMacroState();
  if (FindMacroName(Arg(i), s.position.sheet, sheet, out)) return true;
  if (!Range(i, out)) return false;
  // A range text, "CURSOR" or "RANGE" names cells of the macro's sheet; a name that only the
  // current sheet knows leads there.
  *sheet = LookupName(Arg(i)) != 0 ? CurrentWorksheet() : s.position.sheet;
  return true;
}

MacroPosition MacroCurrentStep() {
  MacroPosition p = TheMacroState().position;
  if (p.step > 0) --p.step;
  return p;
}

MacroPosition MacroNextStep() { return TheMacroState().position; }

void MacroEnd() { ClearRun(TheMacroState()); }

void MacroSkipLine() {
  MacroState& s = TheMacroState();
  s.position.step = s.line.size();
}

void MacroAfterPlatformWait(MacroWait wait, MacroWaitFor what) {
  MacroState& s = TheMacroState();
  if (wait == MacroWait::kPending) {
    s.waitingFor = what;
  } else if (wait == MacroWait::kCancelled) {
    MacroFail("Break! " + MacroCellText(), /*trappable=*/false);
  }
}

void MacroAskInput(const MacroInputRequest& request, const MacroPendingInput& pending) {
  MacroState& s = TheMacroState();
  std::string reply;
  const MacroWait wait = ThePlatform().MacroInput(request, &reply);
  if (wait == MacroWait::kDone) {
    MacroHandleReply(pending, reply);
  } else if (wait == MacroWait::kPending) {
    s.pending = pending;
    s.waitingFor = MacroWaitFor::kInput;
  } else {
    MacroFail("Break! " + MacroCellText(), /*trappable=*/false);
  }
}

// --- control-flow commands ----------------------------------------------------------------------

namespace {

// The first cell of a target argument and its sheet; "NUL" is a syntax error.
bool TargetCell(MacroCall& call, size_t i, SlotIndex* sheet, CellAddress* cell) {
  CellRange r;
  if (!call.Target(i, sheet, &r)) return false;
  if (!RangeIsValid(r)) {
    call.SyntaxError();
    return false;
  }
  *cell = CellAddress{r.firstColumn, r.firstRow};
  return true;
}

}  // namespace

void DoCall(MacroCall& call) {
  SlotIndex sheet = 0;
  CellAddress cell;
  if (TargetCell(call, 0, &sheet, &cell)) MacroCallAt(cell.column, cell.row, nullptr, sheet);
}

void DoJump(MacroCall& call) {
  SlotIndex sheet = 0;
  CellAddress cell;
  if (TargetCell(call, 0, &sheet, &cell)) MacroJumpTo(cell.column, cell.row, sheet);
}

void DoReturn(MacroCall&) {
  MacroState& s = TheMacroState();
  if (s.stack.empty()) {
    MacroFail("Stack Underflow, Level<1");
    return;
  }
  const MacroPosition back = s.stack.back();
  s.stack.pop_back();
  ContinueAt(s, back);
}

void DoExit(MacroCall&) {
  MacroState& s = TheMacroState();
  if (s.stack.empty()) {
    MacroFail("Stack Underflow, Level<1");
    return;
  }
  s.stack.pop_back();
}

void DoRestart(MacroCall&) { TheMacroState().stack.clear(); }

void DoQuit(MacroCall&) { MacroEnd(); }

void DoIf(MacroCall& call) {
  const double value = call.Value(0);
  if (!call.failed && value <= 0) MacroSkipLine();
}

void DoWhile(MacroCall& call) {
  const double value = call.Value(0);
  if (call.failed || value != 1) return;
  SlotIndex sheet = 0;
  CellAddress cell;
  if (!TargetCell(call, 1, &sheet, &cell)) return;
  const MacroPosition again = MacroCurrentStep();
  MacroCallAt(cell.column, cell.row, &again, sheet);
}

void DoFor(MacroCall& call) {
  MacroState& s = TheMacroState();
  CellAddress counter;
  if (!call.Cell(0, &counter)) return;
  const double start = call.Value(1);
  const double stop = call.Value(2);
  const double step = call.Value(3);
  if (call.failed) return;
  const MacroPosition body = MacroNextStep();
  // A FOR met again while its loop is open (left by a jump) takes that loop's place.
  for (size_t i = 0; i < s.loops.size(); ++i) {
    const MacroPosition& b = s.loops[i].body;
    if (SameLine(b, body) && b.step == body.step) {
      s.loops.resize(i);
      break;
    }
  }
  if (s.loops.size() >= static_cast<size_t>(kMaxMacroLoops)) {
    MacroFail("FOR LOOPS>5");
    return;
  }
  if (!MacroEnter(counter.row, counter.column, MacroNumberText(start))) return;
  s.loops.push_back(MacroLoop{CurrentWorksheet(), counter.column, counter.row, stop, step, body});
}

void DoNext(MacroCall&) {
  MacroState& s = TheMacroState();
  if (s.loops.empty()) {
    MacroFail("NEXT without FOR");
    return;
  }
  const MacroLoop loop = s.loops.back();
  const double counter = MacroCounterValue(loop.counterColumn, loop.counterRow);
  const double next = counter + loop.step;
  const bool ended = loop.step == 0 || !std::isfinite(next) ||
                     (loop.step > 0 ? next > loop.stop : next < loop.stop);
  if (ended) {
    s.loops.pop_back();
    return;
  }
  if (!MacroEnter(loop.counterRow, loop.counterColumn, MacroNumberText(next))) return;
  ContinueAt(s, loop.body);
}

void DoOnError(MacroCall& call) {
  MacroState& s = TheMacroState();
  const std::string_view arg = call.Arg(0);
  if (arg.empty() || arg == "NUL") {
    s.hasHandler = false;
    return;
  }
  SlotIndex sheet = 0;
  CellAddress cell;
  if (!TargetCell(call, 0, &sheet, &cell)) return;
  s.hasHandler = true;
  s.handler = MacroPosition{sheet, cell.column, cell.row, 0};
}
