// formula/evaluator.h — runs formula code on the value stack and stores results in cells.
//
// `EvaluateCell` runs the code of one formula cell of the current worksheet and stores the
// result (a string, a number, or ERR as -1.0 with the cell's error mark). `EvaluateText` and
// `EvaluateCode` run formula text or code on behalf of functions that take a formula as text
// (user functions, @INTG, @RECUR, database criteria) and of named-range calls; each nested
// evaluation gets a level of its own, and past kMaxEvaluationDepth levels the result is ERR
// instead of deeper recursion. Opcode routines and their conventions: formula/value_stack.h.
// State: the evaluation levels, the dispatch table, the argument slots of user-function calls,
// the cache of linked worksheets (evaluator.cpp). Reads cells of the current sheet, of open
// worksheets and of linked files; writes only the evaluated cell (and, for a named-range call,
// the argument cells of the named range).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/cell_store.h"
#include "core/worksheets.h"
#include "formula/value_stack.h"

// Nested evaluation levels (the cell's own level included). A deeper evaluation gives ERR.
constexpr int kMaxEvaluationDepth = 24;
// Argument slots of a user-function call (@A(1)..@A(10)).
constexpr int kArgumentSlots = 10;

// Runs the formula code of `cell` and stores the result in it. Cells of kinds 2..7 and cells
// without code are left alone; code in file form, code that does not end in its end marker, and
// code that does not walk give ERR. Clears the cell's recalculation marks.
void EvaluateCell(CellHandle cell);

// The result of an evaluation of text or code.
struct EvalResult {
  double number = 0;
  bool isString = false;
  std::string text;      // the string result (isString)
  bool error = false;    // the result is ERR (also when the text did not compile or the depth
                         // bound was reached)
  bool compiled = true;  // false when the text did not compile
};

// Compiles `text` (formula text as typed, without a leading "+" needed) and evaluates it on a
// level of its own. A compile error gives compiled = false, number 0 and error set. The
// compiler may create empty cell records for the references it meets.
EvalResult EvaluateText(std::string_view text);
// Evaluates code already compiled (length-prefixed, cell form) on a level of its own.
EvalResult EvaluateCode(const uint8_t* code, size_t size);
inline EvalResult EvaluateCode(std::string_view code) {
  return EvaluateCode(reinterpret_cast<const uint8_t*>(code.data()), code.size());
}

// a to the power b: 0 when a is 0 (whatever b), 1 when b is 0, repeated squaring for whole b
// up to 32767 in magnitude (one divided by it for negative b), the general method beyond; a
// negative a with a fractional b sets *failed and gives 1.0. Overflow gives an infinity, which
// callers turn into ERR.
double PowerOf(double a, double b, bool* failed);

// For a stack entry pushed by a cell, range or external operand (rangePosition set), re-reads
// the operand in `code` and gives its rectangle with ascending corners. False for any other
// entry, for a reference to nothing, and for an external file that cannot be had.
bool RangeOfArgument(const uint8_t* code, const StackEntry& entry, ArgumentRange* out);

// The current evaluation depth (0 outside any evaluation).
int EvaluationDepth();
// How many user-function calls have been made since start-up (@INTG compares it before and
// after its integration: a call inside the integrand makes the integral ERR).
uint64_t UserFunctionCallCount();

// --- linked worksheets (external references) ---------------------------------------------------

// Forgets the cached linked worksheets (releasing them through the engine layers' loader). A
// refresh of links calls it.
void ClearLinkedSheetCache();
// The row table an external reference to `path` reads: the sheet of an open worksheet window
// on that file, else the cached or newly loaded linked file (loaded through the engine layers,
// core/engine_layers.h), else null. `path` gets ".WKS" when it has no extension.
const PoolHandle* LinkedSheet(std::string_view path);
// Drops the cache entry of a worksheet entry that has been closed (without releasing it).
void ForgetLinkedSheet(SlotIndex slot);

// --- start-up ------------------------------------------------------------------------------------

// Installs the evaluator's own routines in the dispatch table (idempotent).
void InstallEvaluatorRoutines();
// Drops the evaluation levels, the argument slots and the linked-sheet cache (tests and
// start-up). Registered routines stay.
void ResetEvaluatorState();
