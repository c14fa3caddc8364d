// formula/value_stack.h — the evaluator's value stack and the conventions of opcode routines.
//
// Every opcode of formula code is run by one routine of a 256-entry dispatch table. The
// evaluator takes a routine's arguments off the value stack for it and hands it a `Frame`: the
// arguments are frame entries 1..Count() (argument 1 is the one written first), and the result
// is left in the slot of argument 1 (a routine with no arguments gets a fresh slot holding the
// number 0). After the routine returns the evaluator
//   - sets the result's error flag to: its own error flag (for a function, that is argument 1's
//     unless the routine changed it) or the global error flag raised by `Fail()`; for the infix
//     operators also either operand's error flag;
//   - makes the result a number unless the routine gave it a string (`SetString`, or
//     `CopyArgument` of a string);
//   - releases the strings of the arguments (the string area is last-in first-out).
// A routine never pushes or pops by itself, so it cannot unbalance the stack.
//
// Values: a number (also TRUE 1, FALSE 0 and NA, which is the number -1.0), a string of at most
// 240 characters, or a missing cell (a reference to nothing; it carries the error flag). ERR is
// not a kind: it is any entry whose error flag is set; a cell that stores it holds -1.0.
//
// Range arguments (for @SUM, @INDEX, ...) are re-read from the formula code: an entry pushed by
// a cell, range or external-reference operand remembers the operand's position, and
// `Frame::Range(i, ...)` gives the rectangle (false for a computed value: the routine then
// calls Fail()).
//
// State: none here; the stack lives in the evaluator (formula/evaluator.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/address.h"
#include "core/cell_store.h"

// Strings on the stack and in cells hold at most this many characters.
constexpr size_t kMaxStackString = 240;
// Entries of one evaluation level. Every token of a 240-byte code pushes at most one entry
// net, so no code that fits its buffer can need more than 238.
constexpr int kValueStackCapacity = 256;
// Bytes of the string area of one level: the longest string for every entry plus one being
// built, so the area never fills.
constexpr uint32_t kStringAreaSize = (kValueStackCapacity + 1) * (kMaxStackString + 1);

enum class ValueKind : uint8_t {
  kNumber = 1,   // a number (also TRUE, FALSE and NA)
  kString = 2,   // text in the string area
  kMissing = 3,  // a reference to a cell that does not exist (with the error flag)
};

// One value-stack entry.
struct StackEntry {
  double number = 0;            // the value; 0 for strings and missing cells
  uint32_t stringOffset = 0;    // kString: offset of its length byte in the string area
  uint32_t areaMark = 0;        // string-area top when the entry was pushed (for releasing)
  ValueKind kind = ValueKind::kNumber;
  bool error = false;           // the error flag: the entry is ERR
  uint8_t rangePosition = 0;    // code position of the cell, range or external operand; 0 if none
  uint8_t tokenPosition = 0;    // code position of the token that pushed the entry
};

// A rectangle that a range argument names, corners ascending. `rowTable` is the row table of
// the worksheet it lies in: null for the current sheet, else the open or linked sheet of an
// external reference.
struct ArgumentRange {
  CellRange range;
  const PoolHandle* rowTable = nullptr;
};

// The first cell of `row` in the range's sheet whose column is at least range.firstColumn, or 0;
// walk on with CellAt(cell)->next while the column is at most range.lastColumn.
CellHandle FirstCellInRow(const ArgumentRange& range, uint32_t row);
// The cell at (row, column) of the range's sheet, or 0.
CellHandle CellInSheet(const PoolHandle* rowTable, uint32_t row, uint32_t column);

// The value a cell gives when a formula refers to it (kind 0: its string result; 1, 2, 3: the
// number; 4: the label without its prefix; 5: an empty string; other kinds: missing with the
// error flag). The cell's error mark becomes the error flag. A null cell is missing and ERR.
struct CellValue {
  ValueKind kind = ValueKind::kMissing;
  double number = 0;
  std::string_view text;  // points into the cell's pool blocks; valid until the cell changes
  bool error = true;
};
CellValue ValueOfCell(CellHandle cell);

struct EvalLevel;

// The view a routine has of its arguments and its result.
class Frame {
 public:
  Frame(EvalLevel* level, StackEntry* args, int count, uint8_t opcode, int position,
        const uint8_t* code, int operand, int operandLength);

  // Number of arguments.
  int Count() const { return count_; }
  // Argument i (1..Count()).
  const StackEntry& Arg(int i) const { return args_[i - 1]; }
  double Number(int i) const { return args_[i - 1].number; }
  bool IsString(int i) const { return args_[i - 1].kind == ValueKind::kString; }
  bool HasError(int i) const { return args_[i - 1].error; }
  // The text of a string argument; "" for any other kind.
  std::string_view Text(int i) const;
  // The argument as text: a string as it is, a number in the general number text, a missing
  // cell as "".
  std::string TextOf(int i) const;
  // Argument i's range (see the header comment); false when it was not written as a cell,
  // range or external reference.
  bool Range(int i, ArgumentRange* out) const;

  // The result slot (argument 1's slot). Its error flag starts as argument 1's.
  const StackEntry& Result() const { return args_[0]; }
  // Result := a number (the error flag is kept).
  void SetNumber(double value);
  void SetBool(bool value) { SetNumber(value ? 1.0 : 0.0); }
  // Result := a string (cut to 240 characters; the error flag is kept). `text` may point at an
  // argument's string.
  void SetString(std::string_view text);
  // Result := argument i as it is: kind, number, string and error flag.
  void CopyArgument(int i);
  // Result := the value of a cell as a reference to it gives it (ValueOfCell), error included.
  void SetCellValue(CellHandle cell);
  // Sets or clears the result's own error flag (for @ISERR, @IF...).
  void SetError(bool on);
  // Raises the global error flag: the result becomes ERR (division by zero, domain errors).
  void Fail();

  // The opcode being run, the position of its byte, and its operand bytes in the code.
  uint8_t Opcode() const { return opcode_; }
  int Position() const { return position_; }
  const uint8_t* Code() const { return code_; }
  const uint8_t* Operand() const { return code_ + operand_; }
  int OperandLength() const { return operandLength_; }
  // The cell most recently read by this evaluation (for @ISNUM and @ISSTR), or 0.
  CellHandle LastReadCell() const;

  // Operand routines: the result came from the cell, range or external operand being run, so
  // that Range() can re-read it.
  void MarkRangeOperand();
  // Used by the evaluator: whether the routine gave the result a string.
  bool ResultIsString() const { return stringSet_; }

 private:
  EvalLevel* level_;
  StackEntry* args_;
  int count_;
  uint8_t opcode_;
  int position_;
  const uint8_t* code_;
  int operand_;
  int operandLength_;
  bool stringSet_ = false;
};

// A routine of the dispatch table.
using OpcodeRoutine = void (*)(Frame& frame);

// Installs the routine of an opcode (the function library registers one per @-function). The
// evaluator's own routines (operands, operators, @IF, @CASE, @ISNA, @ISERR, @NA, @ERR, @TRUE,
// @FALSE, @NOT, @A, user and named-range calls) are installed by InstallEvaluatorRoutines. An
// opcode without a routine takes its arguments and leaves ERR.
void RegisterFunction(uint8_t opcode, OpcodeRoutine routine);
// The routine installed for an opcode, or null.
OpcodeRoutine RegisteredFunction(uint8_t opcode);
