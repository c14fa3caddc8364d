// formula/evaluator.cpp — runs formula code on a value stack.
//
// Executes the reverse-Polish code of one formula cell (or of formula text for a function) and
// stores the result in the cell. Every opcode goes through the 256-routine dispatch table; the
// loop reads operands only inside the code's own buffer, so code read from files cannot lead it
// astray, and a token that does not fit, or an operator without enough operands, makes the
// result ERR. Each evaluation runs on a level of its own (value stack, string area, private copy
// of the code); nested evaluations take the next level, up to kMaxEvaluationDepth.
// Reads: the cells of the current sheet, of open worksheets and of linked files, the sheet's
// user functions. Writes: the evaluated cell's kind and value; for a named-range call the
// argument cells of the range. State: EvaluatorState below.
#include "formula/evaluator.h"
#include "core/text_case.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "core/engine_layers.h"
#include "core/format.h"
#include "core/worksheets.h"
#include "formula/compiler.h"
#include "formula/formula_code.h"
#include "formula/function_library.h"
#include "formula/recalc.h"

// One evaluation level: the state that a nested evaluation must not disturb.
struct EvalLevel {
  StackEntry entries[kValueStackCapacity + 2];  // 1-based; entry 0 unused
  int top = 0;
  uint8_t area[kStringAreaSize];  // strings: a length byte, then the characters
  uint32_t areaTop = 0;
  uint8_t code[kMaxCodeSize];  // private copy of the code being run
  int limit = 0;               // position of the end marker
  bool globalError = false;    // raised by a routine that fails
  CellHandle lastReadCell = 0;
};

namespace {

// What a user-function call passes: ten slots, taken by value.
struct ArgumentSlot {
  ValueKind kind = ValueKind::kNumber;
  double number = 0;
  bool error = false;
  std::string text;
};
using ArgumentSlots = std::array<ArgumentSlot, kArgumentSlots>;

struct LinkedFile {
  std::string name;
  SlotIndex slot = 0;  // the open-worksheet entry the loader filled
};

struct EvaluatorState {
  std::vector<std::unique_ptr<EvalLevel>> levels;
  int depth = 0;
  ArgumentSlots topSlots;                  // what @A reads outside any call
  const ArgumentSlots* slots = &topSlots;  // the slots of the call being evaluated
  uint64_t userCalls = 0;
  std::vector<LinkedFile> linked;
};

EvaluatorState& TheEvaluatorState() {
  static EvaluatorState state;
  return state;
}

void ErrorRoutine(Frame& f) { f.Fail(); }

// The dispatch table, filled with the error routine and then the evaluator's own routines.
struct DispatchTable {
  OpcodeRoutine routine[256];
  DispatchTable();
};

DispatchTable& Table() {
  static DispatchTable table;
  return table;
}

// Per-opcode facts derived once from the opcode table.
struct OpInfo {
  int8_t operandLength;  // -1: found by scanning (strings, external references, named calls)
  int8_t arguments;      // -1: from the code (count byte, user function, named-range call)
  uint16_t cls;
};

struct OpInfoTable {
  OpInfo info[256];
  OpInfoTable() {
    for (int op = 0; op < 256; ++op) {
      OpInfo& i = info[op];
      i.cls = OpcodeClass(uint8_t(op));
      i.operandLength = int8_t(FixedOperandLength(uint8_t(op)));
      switch (i.cls) {
        case kClassParentheses:
        case kClassPrefix:
        case kClassPostfix:
          i.arguments = 1;
          break;
        case kClassInfix:
          i.arguments = 2;
          break;
        case kClassVariable:
        case kClassUserFunction:
          i.arguments = -1;
          break;
        default:
          i.arguments = i.cls >= kClassFixed0 && i.cls <= kClassFixed0 + 4
                            ? int8_t(i.cls - kClassFixed0)
                            : 0;
          break;
      }
      if (op == uint8_t(Op::kNamedRangeCall)) i.arguments = -1;
    }
  }
};

const OpInfoTable& Infos() {
  static const OpInfoTable table;
  return table;
}

// --- small helpers --------------------------------------------------------------------------------

std::string_view TextAt(const EvalLevel& level, uint32_t offset) {
  return std::string_view(reinterpret_cast<const char*>(level.area + offset + 1),
                          level.area[offset]);
}

// The cell record a cell operand names, or 0.
CellHandle OperandCell(const uint8_t* p) { return OperandHandle(ReadLong(p)); }

// Rows and columns of a cell operand pair (or a single operand twice), ascending. False when a
// corner names nothing.
bool OperandRectangle(const uint8_t* a, const uint8_t* b, CellRange* out) {
  CellHandle ha = OperandCell(a), hb = OperandCell(b);
  if (!ha || !hb) return false;
  const CellRecord* ca = CellAt(ha);
  const CellRecord* cb = CellAt(hb);
  out->firstColumn = std::min<uint16_t>(ca->column, cb->column);
  out->lastColumn = std::max<uint16_t>(ca->column, cb->column);
  out->firstRow = std::min(ca->row, cb->row);
  out->lastRow = std::max(ca->row, cb->row);
  return true;
}

// The rectangle of the operand embedded in a named-range call (its kind byte first).
bool NamedCallRange(const uint8_t* operand, CellRange* out) {
  if (operand[0] == uint8_t(Op::kCellRef)) return OperandRectangle(operand + 1, operand + 1, out);
  return OperandRectangle(operand + 1, operand + 5, out);
}

bool SameFileName(std::string_view a, std::string_view b) { return SameTextIgnoringCase(a, b); }

// Takes a level for a new evaluation; null past the depth bound or without memory.
EvalLevel* EnterLevel() {
  EvaluatorState& s = TheEvaluatorState();
  if (s.depth >= kMaxEvaluationDepth) return nullptr;
  if (s.levels.size() <= size_t(s.depth)) {
    EvalLevel* level = new (std::nothrow) EvalLevel;
    if (!level) return nullptr;
    s.levels.emplace_back(level);
  }
  return s.levels[s.depth++].get();
}

void LeaveLevel() { --TheEvaluatorState().depth; }

// Copies code into the level; false when it is not valid code (no end marker where byte 0
// says).
bool LoadCode(EvalLevel& level, const uint8_t* code, size_t size) {
  if (!code || !CodeIsValid(code, size)) return false;
  const size_t n = size_t(code[0]) + 1;
  std::memcpy(level.code, code, n);
  level.limit = code[0];
  return true;
}

// Runs the code loaded in the level. Gives false when the code is broken (a token that does not
// fit, an operator without enough operands); the result is then ERR.
bool Run(EvalLevel& L) {
  L.top = 0;
  L.areaTop = 0;
  L.globalError = false;
  L.lastReadCell = 0;
  const uint8_t* code = L.code;
  const int limit = L.limit;
  const OpInfo* infos = Infos().info;
  OpcodeRoutine* routines = Table().routine;
  int pc = kCodeStart;
  while (pc < limit) {
    const uint8_t op = code[pc];
    if (op == kEndMarker) break;
    const OpInfo& info = infos[op];
    int length = info.operandLength;
    if (length < 0) {
      int scan = pc + 1;
      if (op == uint8_t(Op::kNamedRangeCall)) {
        if (scan >= limit) return false;
        if (code[scan] == uint8_t(Op::kCellRef)) {
          length = 5;
        } else if (code[scan] == uint8_t(Op::kRangeRef)) {
          length = 9;
        } else {
          return false;
        }
      } else {
        if (info.cls == kClassExternal) scan += 8;
        while (scan < limit && code[scan] != 0) ++scan;
        if (scan >= limit) return false;
        length = scan - pc;
      }
    }
    if (pc + 1 + length > limit) return false;

    int count = info.arguments;
    if (count < 0) {
      if (info.cls == kClassVariable) {
        count = code[pc + 1];
      } else if (op == uint8_t(Op::kUserFunction)) {
        UserFunction f;
        if (!SheetFunctionAt(code[pc + 1], &f)) return false;
        count = f.argumentCount;
      } else {
        CellRange r;
        count = NamedCallRange(code + pc + 1, &r) ? r.lastColumn - r.firstColumn + 1 : 0;
      }
    }
    if (count > L.top) return false;
    const int first = L.top - count + 1;
    StackEntry* args = &L.entries[first];
    if (count == 0) {
      if (first > kValueStackCapacity) return false;
      args[0] = StackEntry{};
      args[0].areaMark = L.areaTop;
      args[0].tokenPosition = uint8_t(pc);
    }
    const bool operandError = info.cls == kClassInfix && (args[0].error || args[1].error);

    Frame frame(&L, args, count, op, pc, code, pc + 1, length);
    routines[op](frame);

    StackEntry& r = args[0];
    if (op >= uint8_t(Op::kNegate) && op != uint8_t(Op::kUnaryPlus)) {
      r.error = r.error || L.globalError || operandError;
      L.globalError = false;
      if (!frame.ResultIsString()) {
        r.kind = ValueKind::kNumber;
        r.stringOffset = 0;
      }
      r.rangePosition = 0;
      r.tokenPosition = uint8_t(pc);
    }
    // Release the arguments' strings: the result's string (if any) moves down to where the
    // first argument's strings began.
    const uint32_t mark = r.areaMark;
    if (r.kind == ValueKind::kString) {
      const uint32_t bytes = uint32_t(L.area[r.stringOffset]) + 1;
      if (r.stringOffset != mark) std::memmove(L.area + mark, L.area + r.stringOffset, bytes);
      r.stringOffset = mark;
      L.areaTop = mark + bytes;
    } else {
      L.areaTop = mark;
    }
    L.top = first;
    pc += 1 + length;
  }
  return true;
}

// The result of a finished run (entry 1; a number 0 for code that pushed nothing).
EvalResult LevelResult(const EvalLevel& L, bool ok) {
  EvalResult out;
  if (!ok) {
    out.number = -1.0;
    out.error = true;
    return out;
  }
  if (L.top < 1) return out;
  const StackEntry& e = L.entries[1];
  out.error = e.error;
  if (e.kind == ValueKind::kString) {
    out.isString = true;
    out.text = std::string(TextAt(L, e.stringOffset));
  } else {
    out.number = e.number;
  }
  return out;
}

// Stores an evaluation result into a formula cell.
void StoreResult(CellRecord* c, bool error, bool isString, std::string_view text, double number) {
  const bool wasString = (c->kind & kKindMask) == uint8_t(CellKind::kStringFormula);
  PoolHandle old = wasString ? CellStringResult(c) : 0;
  if (isString && !error) {
    PoolHandle block = 0;
    if (!text.empty()) {
      if (old && PoolPtr(old)[0] == text.size()) {
        block = old;  // same length: the old block takes the new text
        old = 0;
      } else {
        block = PoolAlloc(uint32_t(text.size()) + 1);
      }
      if (block) {
        uint8_t* p = PoolPtr(block);
        p[0] = uint8_t(text.size());
        std::memcpy(p + 1, text.data(), text.size());
      }
    }
    if (old) PoolFree(old, PoolTextSize(old));
    std::memset(c->value, 0, sizeof c->value);
    SetCellStringResult(c, block);
    c->kind = uint8_t(CellKind::kStringFormula);
    return;
  }
  if (old) PoolFree(old, PoolTextSize(old));
  SetCellDouble(c, error ? -1.0 : number);
  c->kind = uint8_t(uint8_t(CellKind::kFormula) | (error ? kKindErrorMark : 0));
}

// --- routines of operands ----------------------------------------------------------------------------

void PushConstant(Frame& f) { f.SetNumber(ReadDouble(f.Operand())); }
void PushInteger(Frame& f) { f.SetNumber(int16_t(ReadWord(f.Operand()))); }
void PushString(Frame& f) {
  f.SetString(std::string_view(reinterpret_cast<const char*>(f.Operand()), f.OperandLength() - 1));
}
void Nothing(Frame&) {}

void PushCell(Frame& f) {
  f.SetCellValue(OperandCell(f.Operand()));
  f.MarkRangeOperand();
}

void PushRange(Frame& f) {
  // The value of the ending corner as a number; range functions re-read the whole range.
  CellHandle cell = OperandCell(f.Operand());
  f.SetCellValue(cell);
  CellValue v = ValueOfCell(cell);
  f.SetNumber(v.kind == ValueKind::kNumber ? v.number : 0);
  // A range with either corner gone (a deleted cell, a copy off the sheet) is ERR.
  f.SetError(cell == 0 || OperandCell(f.Operand() + 4) == 0);
  f.MarkRangeOperand();
}

void PushExternal(Frame& f) {
  const uint8_t* p = f.Operand();
  const uint16_t column = ReadWord(p), row = ReadWord(p + 2);
  std::string_view path(reinterpret_cast<const char*>(p + 8), f.OperandLength() - 9);
  const PoolHandle* table = LinkedSheet(path);
  CellHandle cell = table && IsValidCell(row, column) ? CellInSheet(table, row, column) : 0;
  f.SetCellValue(cell);
  f.MarkRangeOperand();
}

// --- operators ---------------------------------------------------------------------------------------

void Checked(Frame& f, double value) {
  if (!std::isfinite(value)) {
    f.Fail();
    value = 1.0;
  }
  f.SetNumber(value);
}

void Negate(Frame& f) { f.SetNumber(-f.Number(1)); }
void Add(Frame& f) { Checked(f, f.Number(1) + f.Number(2)); }
void Subtract(Frame& f) { Checked(f, f.Number(1) - f.Number(2)); }
void Multiply(Frame& f) { Checked(f, f.Number(1) * f.Number(2)); }
void Divide(Frame& f) {
  if (f.Number(2) == 0) {
    f.Fail();
    f.SetNumber(1.0);
    return;
  }
  Checked(f, f.Number(1) / f.Number(2));
}

}  // namespace

double PowerOf(double a, double b, bool* failed) {
  *failed = false;
  if (a == 0) return 0;
  if (b == 0) return 1;
  if (std::trunc(b) == b && std::fabs(b) <= 32767) {
    double base = a, result = 1;
    int n = int(std::fabs(b));
    while (n) {
      if (n & 1) result *= base;
      base *= base;
      n >>= 1;
    }
    return b < 0 ? 1.0 / result : result;
  }
  if (std::trunc(b) == b) return std::pow(a, b);  // whole exponents beyond 16 bits
  if (a < 0) {
    *failed = true;
    return 1.0;
  }
  return std::exp(b * std::log(a));
}

namespace {

void Power(Frame& f) {
  bool failed;
  double v = PowerOf(f.Number(1), f.Number(2), &failed);
  if (failed) {
    f.Fail();
    f.SetNumber(v);
    return;
  }
  Checked(f, v);
}

// -1, 0 or 1: both strings compare as texts (ordinal, case-sensitive), otherwise as numbers
// (a string counting as 0).
int Compare(const Frame& f) {
  if (f.IsString(1) && f.IsString(2)) {
    int c = f.Text(1).compare(f.Text(2));
    return c < 0 ? -1 : c > 0 ? 1 : 0;
  }
  const double a = f.Number(1), b = f.Number(2);
  return a < b ? -1 : a > b ? 1 : 0;
}

void Equal(Frame& f) { f.SetBool(Compare(f) == 0); }
void NotEqual(Frame& f) { f.SetBool(Compare(f) != 0); }
void LessEqual(Frame& f) { f.SetBool(Compare(f) <= 0); }
void GreaterEqual(Frame& f) { f.SetBool(Compare(f) >= 0); }
void Less(Frame& f) { f.SetBool(Compare(f) < 0); }
void Greater(Frame& f) { f.SetBool(Compare(f) > 0); }

// The low 16 bits of a value rounded to an integer; a magnitude of 2147483647 or more is 1.
uint16_t LogicalWord(double x) {
  if (!(std::fabs(x) < 2147483647.0)) return 1;
  return uint16_t(int64_t(std::round(x)) & 0xFFFF);
}

void And(Frame& f) { f.SetNumber(LogicalWord(f.Number(1)) & LogicalWord(f.Number(2))); }
void Or(Frame& f) { f.SetNumber(LogicalWord(f.Number(1)) | LogicalWord(f.Number(2))); }
void Not(Frame& f) { f.SetBool(f.Number(1) == 0); }

void Concatenate(Frame& f) {
  std::string text = f.TextOf(1);
  text += f.TextOf(2);
  f.SetString(text);
}

void Percent(Frame& f) { f.SetNumber(f.Number(1) / 100); }

void Factorial(Frame& f) {
  const double n = std::round(f.Number(1));
  if (!(n >= 0 && n <= 170)) {
    f.Fail();
    return;
  }
  double product = 1;
  for (int i = 2; i <= int(n); ++i) product *= i;
  f.SetNumber(product);
}

// --- the functions of the evaluator ----------------------------------------------------------------

void Na(Frame& f) { f.SetNumber(-1.0); }
void Err(Frame& f) {
  f.SetNumber(-1.0);
  f.SetError(true);
}
void False(Frame& f) { f.SetNumber(0); }
void True(Frame& f) { f.SetNumber(1); }

void If(Frame& f) {
  const bool conditionError = f.HasError(1);
  f.CopyArgument(f.Number(1) == 1.0 ? 2 : 3);
  if (conditionError) f.SetError(true);
}

void Case(Frame& f) {
  const int choices = f.Count() - 1;
  const double n = f.Count() > 0 ? std::round(f.Number(1)) : 0;
  if (!(n >= 1 && n <= choices)) {
    f.Fail();
    return;
  }
  const bool selectorError = f.HasError(1);
  f.CopyArgument(int(n) + 1);
  if (selectorError) f.SetError(true);
}

void IsNa(Frame& f) {
  const bool na = f.Arg(1).kind == ValueKind::kNumber && f.Number(1) == -1.0;
  f.SetBool(na);
  f.SetError(false);
}

void IsErr(Frame& f) {
  f.SetBool(f.HasError(1));
  f.SetError(false);
}

void ArgumentValue(Frame& f) {
  const double i = std::round(f.Number(1));
  if (!(i >= 1 && i <= kArgumentSlots)) {
    f.Fail();
    f.SetNumber(1.0);
    return;
  }
  const ArgumentSlot& slot = (*TheEvaluatorState().slots)[size_t(i) - 1];
  if (slot.kind == ValueKind::kString) {
    f.SetString(slot.text);
  } else {
    f.SetNumber(slot.number);
  }
  if (slot.error) f.SetError(true);
}

void UserFunctionCall(Frame& f) {
  UserFunction function;
  if (!SheetFunctionAt(f.Operand()[0], &function)) {
    f.Fail();
    return;
  }
  ArgumentSlots slots;
  for (int i = std::min(f.Count(), kArgumentSlots); i >= 1; --i) {
    ArgumentSlot& slot = slots[size_t(i) - 1];
    slot.kind = f.IsString(i) ? ValueKind::kString : ValueKind::kNumber;
    slot.number = f.Number(i);
    slot.error = f.HasError(i);
    if (f.IsString(i)) slot.text = std::string(f.Text(i));
  }
  EvaluatorState& s = TheEvaluatorState();
  const ArgumentSlots* outer = s.slots;
  s.slots = &slots;
  ++s.userCalls;
  EvalResult r = EvaluateText(function.text);
  s.slots = outer;
  if (r.isString && !r.text.empty()) {
    f.SetString(r.text);
  } else {
    f.SetNumber(r.isString ? 0 : r.number);
  }
  if (r.error) f.Fail();
}

// Stores one argument of a named-range call into its cell as a number.
bool StoreArgument(uint32_t row, uint32_t column, double value) {
  CellHandle cell = GetOrCreateCell(row, column);
  if (!cell) return false;
  CellRecord* c = CellAt(cell);
  if ((c->kind & kKindMask) <= uint8_t(CellKind::kFormula) && c->text) Unlink(cell);
  FreeCellText(c);
  StoreNumber(c, value);
  return true;
}

void NamedRangeCall(Frame& f) {
  CellRange r;
  if (!NamedCallRange(f.Operand(), &r)) {
    f.Fail();
    return;
  }
  for (int i = 1; i <= f.Count(); ++i) {
    if (!StoreArgument(r.firstRow, r.firstColumn + uint32_t(i) - 1, f.Number(i))) {
      f.Fail();
      return;
    }
  }
  if (r.lastRow == r.firstRow) {
    f.SetNumber(0);
    return;
  }
  CellHandle target = GetCell(r.lastRow, r.firstColumn);
  if (!target) {
    f.SetNumber(0);
    return;
  }
  EvaluateCell(target);
  CellValue v = ValueOfCell(target);
  if (v.kind == ValueKind::kString && !v.text.empty()) {
    f.SetString(v.text);
  } else {
    f.SetNumber(v.kind == ValueKind::kNumber ? v.number : 0);
  }
  if (v.error) f.Fail();
}

}  // namespace

DispatchTable::DispatchTable() {
  for (auto& r : routine) r = ErrorRoutine;
  const struct {
    Op op;
    OpcodeRoutine routine;
  } kOwn[] = {
      {Op::kConstant, PushConstant},     {Op::kCellRef, PushCell},
      {Op::kRangeRef, PushRange},        {Op::kParentheses, Nothing},
      {Op::kInteger, PushInteger},       {Op::kString, PushString},
      {Op::kExternal, PushExternal},     {Op::kNegate, Negate},
      {Op::kAdd, Add},                   {Op::kSubtract, Subtract},
      {Op::kMultiply, Multiply},         {Op::kDivide, Divide},
      {Op::kPower, Power},               {Op::kEqual, Equal},
      {Op::kNotEqual, NotEqual},         {Op::kLessEqual, LessEqual},
      {Op::kGreaterEqual, GreaterEqual}, {Op::kLess, Less},
      {Op::kGreater, Greater},           {Op::kAnd, And},
      {Op::kOr, Or},                     {Op::kNot, Not},
      {Op::kUnaryPlus, Nothing},         {Op::kConcat, Concatenate},
      {Op::kPercent, Percent},           {Op::kFactorial, Factorial},
      {Op::kNa, Na},                     {Op::kErr, Err},
      {Op::kFalse, False},               {Op::kTrue, True},
      {Op::kIf, If},                     {Op::kCase, Case},
      {Op::kIsna, IsNa},                 {Op::kIserr, IsErr},
      {Op::kA, ArgumentValue},           {Op::kUserFunction, UserFunctionCall},
      {Op::kNamedRangeCall, NamedRangeCall},
  };
  for (const auto& own : kOwn) routine[uint8_t(own.op)] = own.routine;
}

// --- the dispatch table ----------------------------------------------------------------------------

void RegisterFunction(uint8_t opcode, OpcodeRoutine routine) {
  Table().routine[opcode] = routine ? routine : ErrorRoutine;
}

OpcodeRoutine RegisteredFunction(uint8_t opcode) {
  OpcodeRoutine r = Table().routine[opcode];
  return r == ErrorRoutine ? nullptr : r;
}

// --- cell values --------------------------------------------------------------------------------

CellValue ValueOfCell(CellHandle cell) {
  CellValue v;
  if (!cell) return v;
  const CellRecord* c = CellAt(cell);
  v.error = (c->kind & kKindErrorMark) != 0;
  switch (c->kind & kKindMask) {
    case uint8_t(CellKind::kStringFormula): {
      v.kind = ValueKind::kString;
      PoolHandle h = CellStringResult(c);
      if (h) {
        const uint8_t* p = PoolPtr(h);
        v.text = std::string_view(reinterpret_cast<const char*>(p + 1), p[0]);
      }
      break;
    }
    case uint8_t(CellKind::kFormula):
    case uint8_t(CellKind::kNumber):
      v.kind = ValueKind::kNumber;
      v.number = CellDouble(c);
      break;
    case uint8_t(CellKind::kInteger):
      v.kind = ValueKind::kNumber;
      v.number = CellInteger(c);
      break;
    case uint8_t(CellKind::kLabel):
      v.kind = ValueKind::kString;
      if (c->text && PoolPtr(c->text)[0] > 0) {
        const uint8_t* p = PoolPtr(c->text);
        v.text = std::string_view(reinterpret_cast<const char*>(p + 2), p[0] - 1u);
      }
      break;
    case uint8_t(CellKind::kBlank):
      v.kind = ValueKind::kString;
      break;
    default:
      v.kind = ValueKind::kMissing;
      v.error = true;
      break;
  }
  return v;
}

CellHandle CellInSheet(const PoolHandle* rowTable, uint32_t row, uint32_t column) {
  if (!rowTable) return GetCell(row, column);
  if (!IsValidCell(row, column)) return 0;
  for (CellHandle h = rowTable[row]; h; h = CellAt(h)->next) {
    const CellRecord* c = CellAt(h);
    if (c->column >= column) return c->column == column ? h : 0;
  }
  return 0;
}

CellHandle FirstCellInRow(const ArgumentRange& range, uint32_t row) {
  if (!range.rowTable) return FindCellAtOrAfter(row, range.range.firstColumn);
  if (!IsValidCell(row, 0)) return 0;
  for (CellHandle h = range.rowTable[row]; h; h = CellAt(h)->next) {
    if (CellAt(h)->column >= range.range.firstColumn) return h;
  }
  return 0;
}

// --- Frame ----------------------------------------------------------------------------------------

Frame::Frame(EvalLevel* level, StackEntry* args, int count, uint8_t opcode, int position,
             const uint8_t* code, int operand, int operandLength)
    : level_(level),
      args_(args),
      count_(count),
      opcode_(opcode),
      position_(position),
      code_(code),
      operand_(operand),
      operandLength_(operandLength) {}

std::string_view Frame::Text(int i) const {
  const StackEntry& e = args_[i - 1];
  return e.kind == ValueKind::kString ? TextAt(*level_, e.stringOffset) : std::string_view();
}

std::string Frame::TextOf(int i) const {
  const StackEntry& e = args_[i - 1];
  switch (e.kind) {
    case ValueKind::kString:
      return std::string(TextAt(*level_, e.stringOffset));
    case ValueKind::kNumber:
      return FormatGeneral(e.number);
    default:
      return {};
  }
}

bool Frame::Range(int i, ArgumentRange* out) const { return RangeOfArgument(code_, Arg(i), out); }

void Frame::SetNumber(double value) {
  StackEntry& r = args_[0];
  r.kind = ValueKind::kNumber;
  r.number = value;
  stringSet_ = false;
}

void Frame::SetString(std::string_view text) {
  if (text.size() > kMaxStackString) text = text.substr(0, kMaxStackString);
  // Built above every live string; the evaluator moves it down when the arguments go.
  uint8_t* at = level_->area + level_->areaTop;
  if (!text.empty()) std::memmove(at + 1, text.data(), text.size());
  at[0] = uint8_t(text.size());
  StackEntry& r = args_[0];
  r.kind = ValueKind::kString;
  r.number = 0;
  r.stringOffset = level_->areaTop;
  stringSet_ = true;
}

void Frame::CopyArgument(int i) {
  if (i == 1) {
    stringSet_ = args_[0].kind == ValueKind::kString;
    return;
  }
  const StackEntry& from = args_[i - 1];
  StackEntry& r = args_[0];
  const uint32_t mark = r.areaMark;
  r = from;
  r.areaMark = mark;
  stringSet_ = from.kind == ValueKind::kString;
}

void Frame::SetCellValue(CellHandle cell) {
  level_->lastReadCell = cell;
  CellValue v = ValueOfCell(cell);
  if (v.kind == ValueKind::kString) {
    SetString(v.text);
  } else {
    SetNumber(v.number);
    args_[0].kind = v.kind;
  }
  args_[0].error = v.error;
}

void Frame::SetError(bool on) { args_[0].error = on; }
void Frame::MarkRangeOperand() { args_[0].rangePosition = uint8_t(position_); }
void Frame::Fail() { level_->globalError = true; }
CellHandle Frame::LastReadCell() const { return level_->lastReadCell; }

// --- ranges of arguments ---------------------------------------------------------------------------

bool RangeOfArgument(const uint8_t* code, const StackEntry& entry, ArgumentRange* out) {
  const int at = entry.rangePosition;
  if (at < kCodeStart || !code) return false;
  const int limit = std::min<int>(code[0], kMaxCodeSize - 1);
  const uint8_t* p = code + at + 1;
  out->rowTable = nullptr;
  switch (code[at]) {
    case uint8_t(Op::kCellRef):
      return at + 4 < limit && OperandRectangle(p, p, &out->range);
    case uint8_t(Op::kRangeRef):
      return at + 8 < limit && OperandRectangle(p, p + 4, &out->range);
    case uint8_t(Op::kExternal): {
      int end = at + 9;
      while (end < limit && code[end] != 0) ++end;
      if (end >= limit) return false;
      const uint16_t c1 = ReadWord(p), r1 = ReadWord(p + 2), c2 = ReadWord(p + 4),
                     r2 = ReadWord(p + 6);
      if (!IsValidCell(r1, c1) || !IsValidCell(r2, c2)) return false;
      out->range = MakeRange(std::min(c1, c2), std::min(r1, r2), std::max(c1, c2), std::max(r1, r2));
      out->rowTable = LinkedSheet(
          std::string_view(reinterpret_cast<const char*>(p + 8), size_t(end - (at + 9))));
      return out->rowTable != nullptr;
    }
    default:
      return false;
  }
}

// --- evaluation ------------------------------------------------------------------------------------

void EvaluateCell(CellHandle cell) {
  if (!cell) return;
  CellRecord* c = CellAt(cell);
  if ((c->kind & kKindMask) > uint8_t(CellKind::kFormula) || !c->text) return;
  EvalLevel* level = (c->kind & kKindFileForm) ? nullptr : EnterLevel();
  if (!level) {
    // Code still in file form names no cells (and stays marked so); past the depth bound
    // nothing is run.
    const uint8_t fileForm = c->kind & kKindFileForm;
    StoreResult(c, true, false, {}, 0);
    c->kind |= fileForm;
    return;
  }
  const uint8_t* code = PoolPtr(c->text);
  const bool ok = LoadCode(*level, code, PoolTextSize(c->text)) && Run(*level);
  // A named-range call may have turned this very cell into a number meanwhile.
  if ((c->kind & kKindMask) <= uint8_t(CellKind::kFormula) && c->text) {
    if (!ok || level->top < 1) {
      StoreResult(c, !ok, false, {}, 0);
    } else {
      const StackEntry& e = level->entries[1];
      const bool isString = e.kind == ValueKind::kString;
      StoreResult(c, e.error, isString, isString ? TextAt(*level, e.stringOffset) : "", e.number);
    }
  }
  LeaveLevel();
}

EvalResult EvaluateCode(const uint8_t* code, size_t size) {
  EvalLevel* level = EnterLevel();
  if (!level) {
    EvalResult r;
    r.number = -1.0;
    r.error = true;
    return r;
  }
  const bool ok = LoadCode(*level, code, size) && Run(*level);
  EvalResult r = LevelResult(*level, ok);
  LeaveLevel();
  return r;
}

EvalResult EvaluateText(std::string_view text) {
  EvalResult r;
  if (TheEvaluatorState().depth >= kMaxEvaluationDepth) {
    r.number = -1.0;
    r.error = true;
    return r;
  }
  std::string code;
  if (!Compile(text, &code)) {
    r.compiled = false;
    r.error = true;
    return r;
  }
  return EvaluateCode(code);
}

int EvaluationDepth() { return TheEvaluatorState().depth; }
uint64_t UserFunctionCallCount() { return TheEvaluatorState().userCalls; }

// --- linked worksheets -------------------------------------------------------------------------------

void ClearLinkedSheetCache() {
  EvaluatorState& s = TheEvaluatorState();
  // The list is emptied first: a release may close a worksheet, which must find no stale entry.
  std::vector<LinkedFile> linked;
  linked.swap(s.linked);
  for (const LinkedFile& file : linked) TheEngineLayers().ReleaseLinkedSheet(file.slot);
}

const PoolHandle* LinkedSheet(std::string_view path) {
  std::string name(path);
  const size_t slash = name.rfind('/');
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) name += ".WKS";
  if (SlotIndex slot = FindWorksheet(name)) return Worksheet(slot).rowTable.get();
  EvaluatorState& s = TheEvaluatorState();
  for (const LinkedFile& file : s.linked) {
    if (SameFileName(file.name, name)) return Worksheet(file.slot).rowTable.get();
  }
  const SlotIndex slot = TheEngineLayers().LoadLinkedSheet(name);
  if (slot == 0 || !Worksheet(slot).InUse()) return nullptr;
  s.linked.push_back(LinkedFile{name, slot});
  return Worksheet(slot).rowTable.get();
}

void ForgetLinkedSheet(SlotIndex slot) {
  std::vector<LinkedFile>& linked = TheEvaluatorState().linked;
  linked.erase(std::remove_if(linked.begin(), linked.end(),
                              [slot](const LinkedFile& f) { return f.slot == slot; }),
               linked.end());
}

// --- start-up ------------------------------------------------------------------------------------

void InstallEvaluatorRoutines() {
  Table();
  Infos();
}

void ResetEvaluatorState() {
  EvaluatorState& s = TheEvaluatorState();
  ClearLinkedSheetCache();
  s.levels.clear();
  s.depth = 0;
  s.topSlots = ArgumentSlots{};
  s.slots = &s.topSlots;
  s.userCalls = 0;
}
