// macros/interpreter.h — runs macros: lines of keystrokes and commands read down from a cell.
//
// The interpreter is a resumable state machine. `RunMacroAt` and `RunMacroText` start a macro
// and run it until it ends or must wait (keystrokes being consumed by the desktop, input from
// the user, a delay, the step key); `ContinueMacro` runs it on. Each run call may be limited to
// a slice of time so that the desktop stays responsive; the headless platform never waits, so a
// run call there returns only when the macro has ended (or a slice is used up).
// Errors stop the macro with a message ("Syntax Error: A5", "Break! A5", the stack and loop
// messages, and any ShowError of the commands it runs), unless ONERROR has set a handler.
// State: MacroState (interpreter.cpp): position, line, subroutine stack, loops, handler, flags,
// the keystrokes waiting to be played, the open text files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/worksheets.h"

// The row of a macro position that is a macro given as text rather than in cells.
constexpr uint16_t kMacroTextRow = 65534;
constexpr int kMaxMacroNesting = 20;
constexpr int kMaxMacroLoops = 5;
// Keystrokes collected before they are played even in the middle of a line.
constexpr size_t kMacroKeyBuffer = 100;

enum class MacroProgress : uint8_t {
  kEnded,    // the macro is over (or none was running)
  kWaiting,  // it waits for the desktop (keys consumed, input, a delay, the step key)
  kSliced,   // the time slice is used up; call ContinueMacro again
};

// Starts the macro whose first line is the cell (column, row) of the current worksheet and runs
// it. `sliceMs` 0 runs without a time limit. A macro already running is stopped first.
MacroProgress RunMacroAt(uint16_t column, uint16_t row, int sliceMs = 0);
// Starts the macro whose first line is the cell (column, row) of worksheet `sheet` (such as the
// macro library): its lines are read from that sheet, its commands act on the current one.
MacroProgress RunMacroIn(SlotIndex sheet, uint16_t column, uint16_t row, int sliceMs = 0);
// Translates `text` as one line and runs it with no cell position.
MacroProgress RunMacroText(std::string_view text, int sliceMs = 0);
// Runs on after a wait or a slice. Does nothing while an input is still awaited.
MacroProgress ContinueMacro(int sliceMs = 0);
// Stops the running macro at once (no message). The stack and loops are emptied.
void StopMacro();
// The user's Break (Esc, Ctrl+Break, the stop button): the macro stops with "Break! " and the
// cell address at the next step it takes.
void RequestMacroBreak();

bool MacroRunning();
bool MacroWaiting();
// Single-step mode: before each line the platform shows "Step A5 : line" and waits for the step
// key (Platform::StepWait).
void SetMacroSingleStep(bool on);
bool MacroSingleStep();

// The desktop answers an input request that it took as pending (Platform::MacroInput): the
// reply, or a cancellation (which stops the macro with "Break! "). Call ContinueMacro after.
void MacroInputAnswered(std::string_view reply);
void MacroInputCancelled();

// The cell of the line being run ("A5", "" for a macro given as text), for messages and the step
// caption.
std::string MacroCellText();

// The cells a running macro keeps (its position, the stack, the loops' counters and bodies, the
// error handler), for the routine that shifts stored ranges when rows or columns are inserted or
// deleted: `adjust` is called with each one and may change it.
void AdjustMacroCells(
    const std::function<void(SlotIndex sheet, uint16_t* column, uint16_t* row)>& adjust);

// Puts the interpreter back to idle, closes its text files and forgets the macro library (tests
// and start-up).
void ResetMacroState();
