// formula/formula_text.cpp — formula code back to formula text.
//
// Walks the code once, pushing the text of each operand on a stack of short texts and replacing
// the top entries by the text of each operator or function. No parentheses are added: the code
// keeps the ones that were typed (opcode 0x04), and the compiler's precedences put the rest back.
// State: TextBuilderState below (the text stack and its overflow flag), reset per formula. Reads
// cell records, range names, user functions and the number settings.
#include "formula/formula_text.h"

#include <vector>

#include "core/address.h"
#include "core/format.h"
#include "core/names.h"
#include "formula/compiler.h"
#include "formula/formula_code.h"
#include "formula/function_library.h"

namespace {

constexpr size_t kMaxText = 240;
constexpr size_t kStackArea = 1000;  // bytes of all stacked texts, one length byte each

struct TextBuilderState {
  std::vector<std::string> stack;
  size_t bytes = 0;
  bool overflow = false;
  bool fileForm = false;  // operands are column and row words relative to the base cell
  uint16_t baseRow = 0;
  uint16_t baseColumn = 0;
};

// Where one cell operand points, whichever form it is in.
struct OperandRef {
  bool nothing = true;  // a reference to nothing, or a position off the grid
  uint16_t row = 0;
  uint16_t column = 0;
  bool absoluteRow = false;
  bool absoluteColumn = false;
};

TextBuilderState& Builder() {
  static TextBuilderState state;
  return state;
}

// A text that would not fit is an overflow: the formula could not be typed back.
void Push(std::string text) {
  TextBuilderState& b = Builder();
  if (text.size() > kMaxText || b.bytes + text.size() + 1 >= kStackArea) {
    b.overflow = true;
    return;
  }
  b.bytes += text.size() + 1;
  b.stack.push_back(std::move(text));
}

std::string Pop() {
  TextBuilderState& b = Builder();
  if (b.stack.empty()) return {};
  std::string text = std::move(b.stack.back());
  b.stack.pop_back();
  b.bytes -= text.size() + 1;
  return text;
}

OperandRef FromMemory(uint32_t operand) {
  OperandRef ref;
  uint32_t handle = OperandHandle(operand);
  if (handle == 0) return ref;
  const CellRecord* cell = CellAt(handle);
  ref.row = cell->row;
  ref.column = cell->column;
  ref.absoluteRow = (operand & kOperandAbsoluteRow) != 0;
  ref.absoluteColumn = (operand & kOperandAbsoluteColumn) != 0;
  ref.nothing = !IsValidCell(ref.row, ref.column);
  return ref;
}

// The operand at `p` in the form of the code being printed.
OperandRef Resolve(const uint8_t* p) {
  const TextBuilderState& b = Builder();
  if (!b.fileForm) return FromMemory(ReadLong(p));
  OperandRef ref;
  DecodeFileOperand(p, b.baseRow, b.baseColumn, &ref.row, &ref.column, &ref.absoluteRow,
                    &ref.absoluteColumn);
  ref.nothing = !IsValidCell(ref.row, ref.column);
  return ref;
}

// The first name whose range is exactly `wanted` and whose printed form (with "$" when
// `absolute`) reads back as that name; "" when none.
std::string NameFor(const CellRange& wanted, bool absolute) {
  for (int i = 1; i <= NameCount(); ++i) {
    if (NameRange(i) != wanted) continue;
    std::string text = (absolute ? "$" : "") + NameAt(i);
    if (LookupName(text) == i) return text;
  }
  return {};
}

std::string CornerText(const OperandRef& ref) {
  if (ref.nothing) return "ERR";
  return CellText(ref.row, ref.column, ref.absoluteRow, ref.absoluteColumn);
}

std::string CellOperandText(const OperandRef& ref, int kind, bool* printedName) {
  if (printedName) *printedName = false;
  if (ref.nothing) return "ERR";
  if (kind == 1 && ref.absoluteRow == ref.absoluteColumn) {
    std::string name =
        NameFor(MakeRange(ref.column, ref.row, ref.column, ref.row), ref.absoluteRow);
    if (!name.empty()) {
      if (printedName) *printedName = true;
      return name;
    }
  }
  return CornerText(ref);
}

std::string RangeRefText(const OperandRef& end, const OperandRef& start, bool* printedName) {
  if (printedName) *printedName = false;
  const bool allAbsolute = end.absoluteRow && end.absoluteColumn && start.absoluteRow &&
                           start.absoluteColumn;
  const bool noneAbsolute = !end.absoluteRow && !end.absoluteColumn && !start.absoluteRow &&
                            !start.absoluteColumn;
  if (!end.nothing && !start.nothing && (allAbsolute || noneAbsolute)) {
    std::string name =
        NameFor(MakeRange(start.column, start.row, end.column, end.row), allAbsolute);
    if (!name.empty()) {
      if (printedName) *printedName = true;
      return name;
    }
  }
  return CornerText(start) + ".." + CornerText(end);
}

// Columns of the range a named-range call names: its arguments.
int CallWidth(const uint8_t* p) {
  if (p[0] == uint8_t(Op::kCellRef)) return 1;
  OperandRef end = Resolve(p + 1), start = Resolve(p + 5);
  if (end.nothing || start.nothing) return 1;
  return (end.column > start.column ? end.column - start.column : start.column - end.column) + 1;
}

std::string BuildText(const uint8_t* code, size_t size);

std::string ExternalRangeText(const uint8_t* p) {
  const uint16_t c1 = ReadWord(p), r1 = ReadWord(p + 2), c2 = ReadWord(p + 4),
                 r2 = ReadWord(p + 6);
  if (!IsValidCell(r1, c1) || !IsValidCell(r2, c2)) return "ERR";
  std::string text = CellText(r1, c1, false, false);
  if (c1 != c2 || r1 != r2) text += ".." + CellText(r2, c2, false, false);
  return text;
}

// The name a function opcode prints with: "@" in front of functions, "UKW" beyond the table.
std::string TokenName(uint8_t opcode) {
  if (opcode > kLastNamedOpcode) return "@UKW";
  std::string name(OpcodeName(opcode));
  if (opcode > uint8_t(Op::kFactorial) || opcode == uint8_t(Op::kNot)) name.insert(0, "@");
  return name;
}

}  // namespace

std::string ArgumentList(int n) {
  if (n <= 0) return {};
  TextBuilderState& b = Builder();
  const char separator = ArgumentSeparator();
  std::string buffer = Pop();
  for (int i = 1; i < n; ++i) {
    if (buffer.size() >= kMaxText) {
      b.overflow = true;
      buffer.clear();
    } else {
      buffer = Pop() + separator + buffer;
    }
  }
  return "(" + buffer + ")";
}

std::string OperandText(uint32_t operand, int kind, bool* printedName) {
  return CellOperandText(FromMemory(operand), kind, printedName);
}

std::string RangeOperandText(uint32_t ending, uint32_t starting, bool* printedName) {
  return RangeRefText(FromMemory(ending), FromMemory(starting), printedName);
}

std::string FormulaText(const uint8_t* code, size_t size) {
  Builder() = TextBuilderState{};
  return BuildText(code, size);
}

std::string FileFormFormulaText(const uint8_t* code, size_t size, uint16_t row,
                                uint16_t column) {
  TextBuilderState& b = Builder();
  b = TextBuilderState{};
  b.fileForm = true;
  b.baseRow = row;
  b.baseColumn = column;
  return BuildText(code, size);
}

namespace {

std::string BuildText(const uint8_t* code, size_t size) {
  if (!CodeIsValid(code, size)) return "NOEND";
  TextBuilderState& b = Builder();
  CodeWalker walker(code, size);
  CodeToken token;
  while (!b.overflow && walker.Next(&token)) {
    const uint8_t* p = code + token.operand;
    const uint8_t op = token.opcode;
    if (op == uint8_t(Op::kNamedRangeCall)) {
      std::string name = p[0] == uint8_t(Op::kCellRef)
                             ? CellOperandText(Resolve(p + 1), 1, nullptr)
                             : RangeRefText(Resolve(p + 1), Resolve(p + 5), nullptr);
      name = name[0] == '$' ? "@" + name.substr(1) : "@" + name;
      Push(name + ArgumentList(CallWidth(p)));
      continue;
    }
    switch (token.cls) {
      case kClassConstant:
        Push(FormatGeneral(ReadDouble(p)));
        break;
      case kClassCell:
        Push(CellOperandText(Resolve(p), 1, nullptr));
        break;
      case kClassRange:
        Push(RangeRefText(Resolve(p), Resolve(p + 4), nullptr));
        break;
      case kClassParentheses:
        Push("(" + Pop() + ")");
        break;
      case kClassInteger:
        Push(std::to_string(int16_t(ReadWord(p))));
        break;
      case kClassString:
        Push("\"" + std::string(reinterpret_cast<const char*>(p), token.length - 1) + "\"");
        break;
      case kClassExternal:
        Push("[" + std::string(reinterpret_cast<const char*>(p + 8), token.length - 9) + "]" +
             ExternalRangeText(p));
        break;
      case kClassPrefix: {
        std::string x = Pop();
        Push(TokenName(op) + x);
        break;
      }
      case kClassInfix: {
        std::string right = Pop();
        std::string left = Pop();
        Push(left + TokenName(op) + right);
        break;
      }
      case kClassPostfix:
        Push(Pop() + TokenName(op));
        break;
      case kClassUserFunction: {
        UserFunction f;
        if (!SheetFunctionAt(p[0], &f)) {
          Push("@NOFUN");
        } else {
          Push("@" + f.name + ArgumentList(f.argumentCount));
        }
        break;
      }
      case kClassVariable:
        Push(TokenName(op) + ArgumentList(p[0]));
        break;
      default:  // functions with a fixed count
        if (token.cls == kClassFixed0) {
          Push(TokenName(op));
        } else {
          Push(TokenName(op) + ArgumentList(token.cls - kClassFixed0));
        }
        break;
    }
  }
  if (walker.Broken()) return "NOEND";
  if (b.overflow) return "OVERFLOW";
  std::string text = Pop();
  if (text.empty() || (text[0] != '(' && text[0] != '-' && text[0] != '@')) text.insert(0, "+");
  if (text.size() > kMaxText) return "OVERFLOW";
  return text;
}

}  // namespace

std::string CellFormulaText(CellHandle cell) {
  if (!cell) return {};
  const CellRecord* c = CellAt(cell);
  if (!KindIsFormula(c->kind & kKindMask) || !c->text) return {};
  const uint8_t* code = PoolPtr(c->text);
  if (c->kind & kKindFileForm) {
    return FileFormFormulaText(code, CodeBufferSize(code), c->row, c->column);
  }
  return FormulaText(code, CodeBufferSize(code));
}

std::string CellContentsText(CellHandle cell) {
  if (!cell) return {};
  const CellRecord* c = CellAt(cell);
  switch (CellKind(c->kind & kKindMask)) {
    case CellKind::kStringFormula:
    case CellKind::kFormula:
      return CellFormulaText(cell);
    case CellKind::kNumber:
      return FormatGeneral(CellDouble(c));
    case CellKind::kInteger:
      return std::to_string(CellInteger(c));
    case CellKind::kLabel:
      return PoolText(c->text);
    default:
      return {};
  }
}
