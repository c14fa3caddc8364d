// macros/interpreter_internal.h — the interpreter's state and what the command routines use.
//
// Shared by the files of the interpreter (interpreter.cpp, macro_commands.cpp, macro_files.cpp,
// key_line.cpp); nothing outside macros/ includes it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/address.h"
#include "core/worksheets.h"
#include "formula/evaluator.h"
#include "macros/interpreter.h"
#include "macros/translator.h"
#include "platform/platform.h"

// Where a macro is: the sheet holding its lines, the cell of the line, and the step to run next.
struct MacroPosition {
  SlotIndex sheet = 0;
  uint16_t column = 0;
  uint16_t row = 0;
  size_t step = 0;
};

struct MacroLoop {
  SlotIndex sheet = 0;     // the sheet whose cell counts
  uint16_t counterColumn = 0;
  uint16_t counterRow = 0;
  double stop = 0;
  double step = 0;
  MacroPosition body;      // the step after the FOR
};

enum class MacroWaitFor : uint8_t { kNothing, kKeys, kInput, kDelay, kStep };

// What to do with the reply to an input request.
struct MacroPendingInput {
  MacroInputKind kind = MacroInputKind::kEntry;
  uint16_t column = 0;  // the target cell (GET, INLABEL, INVALUE, FILEPICK)
  uint16_t row = 0;
  bool menuCall = false;                // MENUCALL (else MENUBRANCH)
  SlotIndex menuSheet = 0;              // the sheet holding the menu
  std::vector<CellAddress> menuItems;   // the cell of each item
};

constexpr int kMacroFiles = 8;

struct MacroState {
  bool running = false;
  bool breakRequested = false;
  bool singleStep = false;
  bool stepShown = false;      // the step caption of the current line was shown
  bool lineLoaded = false;     // `line` holds the line at `position`
  bool errorStop = false;      // ShowError asked the macro to stop
  bool trapped = false;        // ... and the error went to the ONERROR handler
  MacroWaitFor waitingFor = MacroWaitFor::kNothing;
  MacroPosition position;
  std::string text;            // a macro given as text (position.row == kMacroTextRow)
  MacroLine line;
  std::string keys;            // keystrokes not played yet
  std::vector<MacroPosition> stack;
  std::vector<MacroLoop> loops;
  bool hasHandler = false;
  MacroPosition handler;
  MacroPendingInput pending;
  std::string inputReply;
  bool inputCancelled = false;
  std::FILE* files[kMacroFiles + 1] = {};  // 1..8
};

MacroState& TheMacroState();

// An executing command: its arguments and their readings as the command table says.
struct MacroCall {
  const MacroStep& step;
  bool failed = false;

  size_t Count() const { return step.arguments.size(); }
  std::string_view Arg(size_t i) const {
    return i < step.arguments.size() ? std::string_view(step.arguments[i]) : std::string_view();
  }
  // A range argument: empty means the current cell, "NUL" no range (true with NoRange()), else a
  // range text, name, "RANGE" or "CURSOR"; corners ordered. A bad range is a syntax error.
  bool Range(size_t i, CellRange* out);
  // The first cell of a range argument; "NUL" is a syntax error here.
  bool Cell(size_t i, CellAddress* out);
  // A range argument that names where the macro goes on (CALL, JUMP, WHILE, ONERROR, the
  // menus): a range name of the macro's sheet, else of the macro library, else a range of the
  // macro's sheet (a name of the current sheet only leads there). Gives the sheet too.
  bool Target(size_t i, SlotIndex* sheet, CellRange* out);
  // A value: "NUL" and "FALSE" 0, "TRUE" 1, else the formula's number (0 on any error).
  double Value(size_t i);
  // The value rounded; magnitudes of 2147483647 or more give 0.
  int Integer(size_t i);
  // The argument evaluated as a formula.
  EvalResult Formula(size_t i);
  // A formula argument that must give a string (file names, names, texts); anything else is a
  // syntax error.
  bool Text(size_t i, std::string* out);
  // "Syntax Error: A5", or a message of its own; both honour ONERROR.
  void SyntaxError();
  void Fail(std::string_view message);
};

// The error path of the interpreter: with an ONERROR handler the handler is cleared, the stack
// and loops emptied and the macro goes on at the handler's cell, without a box; otherwise the
// message goes through ShowError and the macro stops. `trappable` false (Break) never goes to
// the handler.
void MacroFail(std::string_view message, bool trappable = true);
// "Syntax Error: " followed by the cell of the line ("" for a macro given as text).
std::string MacroSyntaxErrorText();
// Continues at the start of the line in (column, row) of `sheet` (0: the macro's sheet).
void MacroJumpTo(uint16_t column, uint16_t row, SlotIndex sheet = 0);
// Pushes the position after the current command (or `returnTo`) and continues at the cell of
// `sheet` (0: the macro's sheet). False (after "Stack Overflow, Nesting>20 ") when the stack is
// full.
bool MacroCallAt(uint16_t column, uint16_t row, const MacroPosition* returnTo = nullptr,
                 SlotIndex sheet = 0);
// The position of the step being run (step index at that step) / after it.
MacroPosition MacroCurrentStep();
MacroPosition MacroNextStep();
// Ends the macro normally.
void MacroEnd();
// Skips the rest of the current line.
void MacroSkipLine();
// Asks the platform for input; the reply is handled by MacroHandleReply now or when the
// desktop answers.
void MacroAskInput(const MacroInputRequest& request, const MacroPendingInput& pending);
// Carries out a reply to the pending input (macro_commands.cpp).
void MacroHandleReply(const MacroPendingInput& pending, const std::string& reply);
// Waits for the platform when `wait` is kPending; a cancellation is a Break.
void MacroAfterPlatformWait(MacroWait wait, MacroWaitFor what);

// The headless entry line (key_line.cpp): plays keystrokes when there is no window.
void PlayHeadlessKeys(std::string_view keys);
// ANCHOR on the headless entry line.
void AnchorHeadlessSelection(bool on);
void ResetHeadlessKeyLine();

// Closes every text file of the macro file commands (macro_files.cpp).
void CloseMacroFiles();

// The shortest text that reads back to the same number, with the decimal separator of entry.
std::string MacroNumberText(double value);
