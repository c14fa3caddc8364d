// formula/formula_code.cpp — opcode tables, the code walker, operand conversion and the dumper.
//
// The class and name tables are generated from formula/opcodes.def. The conversions read the
// referenced cell records (to file form) or find and create them (to cell form) in the current
// sheet's cell store. No module state.
#include "formula/formula_code.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "core/address.h"
#include "core/cell_store.h"
#include "formula/function_library.h"

namespace {

struct OpcodeInfo {
  uint16_t cls = kClassFixed1;
  std::string_view name;
  int precedence = 0;
};

constexpr std::array<OpcodeInfo, 256> MakeOpcodeTable() {
  std::array<OpcodeInfo, 256> table{};
#define TALLIVO_OPCODE(code, id, text, klass, precedence) \
  table[code] = OpcodeInfo{kClass##klass, text, precedence};
#include "formula/opcodes.def"
  return table;
}

constexpr std::array<OpcodeInfo, 256> kOpcodes = MakeOpcodeTable();

constexpr std::array<std::string_view, 256> MakeIdentifierTable() {
  std::array<std::string_view, 256> table{};
#define TALLIVO_OPCODE(code, id, text, klass, precedence) \
  table[code] = std::string_view(#id).substr(1);
#include "formula/opcodes.def"
  return table;
}

constexpr std::array<std::string_view, 256> kIdentifiers = MakeIdentifierTable();

// Operand bytes of the classes with a fixed size (index = class 0..16).
constexpr int kClassOperandLength[17] = {8, 4, 8, 0, 0, 2, -1, -1, 0, 0, 0, 0, 0, 0, 0, 1, 0};

// File form of a reference to nothing: an absolute column off the grid.
constexpr uint16_t kNothingColumnWord = 0x1FFF;

// Converts the one in-memory operand at `p` (4 bytes) to its file form in place.
void OperandToFileForm(uint8_t* p, uint16_t baseRow, uint16_t baseColumn) {
  uint32_t operand = ReadLong(p);
  uint32_t handle = OperandHandle(operand);
  if (handle == 0) {
    WriteWord(p, kNothingColumnWord);
    WriteWord(p + 2, 0);
    return;
  }
  const CellRecord* cell = CellAt(handle);
  EncodeFileOperand(cell->row, cell->column, (operand & kOperandAbsoluteRow) != 0,
                    (operand & kOperandAbsoluteColumn) != 0, baseRow, baseColumn, p);
}

// Converts the one file-form operand at `p` to the in-memory form in place; false when the cell
// record could not be had.
bool OperandToCellForm(uint8_t* p, uint16_t baseRow, uint16_t baseColumn) {
  uint16_t row, column;
  bool absoluteRow, absoluteColumn;
  DecodeFileOperand(p, baseRow, baseColumn, &row, &column, &absoluteRow, &absoluteColumn);
  uint32_t flags = (absoluteRow ? kOperandAbsoluteRow : 0) |
                   (absoluteColumn ? kOperandAbsoluteColumn : 0);
  bool ok = true;
  uint32_t handle = 0;
  if (IsValidCell(row, column)) {
    handle = GetOrCreateCell(row, column);
    ok = handle != 0;
  }
  // Handles fit in 30 bits by construction (page slot < 4096, offset < 8192).
  WriteLong(p, flags | (handle & kOperandHandleMask));
  return ok;
}

// Calls `convert` on every cell operand of the code (classes 1 and 2 and the operand embedded in
// a named-range call). Gives false when the walk breaks or a conversion fails.
template <typename Convert>
bool ForEachOperand(uint8_t* code, size_t size, Convert convert) {
  CodeWalker walker(code, size);
  CodeToken token;
  bool ok = true;
  while (walker.Next(&token)) {
    int at = token.operand;
    int count = 0;
    if (token.cls == kClassCell) {
      count = 1;
    } else if (token.cls == kClassRange) {
      count = 2;
    } else if (token.opcode == uint8_t(Op::kNamedRangeCall)) {
      count = code[at] == uint8_t(Op::kCellRef) ? 1 : 2;
      ++at;
    }
    for (int i = 0; i < count; ++i) ok = convert(code + at + 4 * i) && ok;
  }
  return ok && !walker.Broken();
}

void AppendCellOperandDump(std::string& out, const uint8_t* p, CodeForm form) {
  char buffer[32];
  if (form == CodeForm::kFile) {
    std::snprintf(buffer, sizeof buffer, " %04X:%04X", ReadWord(p), ReadWord(p + 2));
    out += buffer;
    return;
  }
  uint32_t operand = ReadLong(p);
  uint32_t handle = OperandHandle(operand);
  out += ' ';
  if (handle == 0) {
    out += "ERR";
    return;
  }
  const CellRecord* cell = CellAt(handle);
  out += CellText(cell->row, cell->column, (operand & kOperandAbsoluteRow) != 0,
                  (operand & kOperandAbsoluteColumn) != 0);
}

}  // namespace

uint16_t OpcodeClass(uint8_t opcode) { return kOpcodes[opcode].cls; }

int OpcodePrecedence(uint8_t opcode) { return kOpcodes[opcode].precedence; }

std::string_view OpcodeName(uint8_t opcode) {
  return opcode >= 0x08 && opcode <= kLastNamedOpcode ? kOpcodes[opcode].name
                                                      : std::string_view();
}

int FixedOperandLength(uint8_t opcode) {
  if (opcode == uint8_t(Op::kNamedRangeCall)) return -1;
  uint16_t cls = OpcodeClass(opcode);
  if (cls == kClassUserFunction) return 1;
  return cls <= kClassPostfix ? kClassOperandLength[cls] : 0;
}

int FindFunctionOpcode(std::string_view upperName) {
  if (upperName.empty()) return -1;
  for (int op = 0x08; op <= kLastNamedOpcode; ++op) {
    if (kOpcodes[op].name == upperName) return op;
  }
  return -1;
}

double ReadDouble(const uint8_t* p) {
  uint64_t bits = uint64_t(ReadLong(p)) | uint64_t(ReadLong(p + 4)) << 32;
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}

void WriteDouble(uint8_t* p, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  WriteLong(p, uint32_t(bits));
  WriteLong(p + 4, uint32_t(bits >> 32));
}

CodeWalker::CodeWalker(const uint8_t* code, size_t size) : code_(code) {
  size_t limit = size == 0 ? 0 : size - 1;
  if (size > 0 && code[0] < limit) limit = code[0];
  if (limit > size_t(kMaxCodeSize - 1)) limit = kMaxCodeSize - 1;
  limit_ = int(limit);
  if (size == 0) position_ = limit_ + 1;  // nothing to read, not even an end marker
}

bool CodeWalker::Next(CodeToken* token) {
  if (sawEnd_ || broken_ || position_ > limit_) return false;
  const int at = position_;
  if (at == limit_) {
    // Position byte 0 (or the last readable byte): the walk ends here either way.
    sawEnd_ = code_[at] == kEndMarker;
    position_ = limit_ + 1;
    return false;
  }
  const uint8_t opcode = code_[at];
  if (opcode == kEndMarker) {
    sawEnd_ = true;
    return false;
  }
  int length = FixedOperandLength(opcode);
  const uint16_t cls = OpcodeClass(opcode);
  if (length < 0) {
    int scan = at + 1;
    if (opcode == uint8_t(Op::kNamedRangeCall)) {
      // The embedded operand: its kind byte, then one or two cell operands.
      if (scan >= limit_) {
        broken_ = true;
        return false;
      }
      uint8_t kind = code_[scan];
      if (kind != uint8_t(Op::kCellRef) && kind != uint8_t(Op::kRangeRef)) {
        broken_ = true;
        return false;
      }
      length = 1 + (kind == uint8_t(Op::kCellRef) ? 4 : 8);
    } else {
      if (cls == kClassExternal) scan += 8;
      while (scan < limit_ && code_[scan] != 0) ++scan;
      if (scan >= limit_) {
        broken_ = true;
        return false;
      }
      length = scan + 1 - (at + 1);
    }
  }
  if (at + 1 + length > limit_) {
    broken_ = true;
    return false;
  }
  token->opcode = opcode;
  token->cls = cls;
  token->position = at;
  token->operand = at + 1;
  token->length = length;
  position_ = at + 1 + length;
  return true;
}

bool CodeIsValid(const uint8_t* code, size_t size) {
  return size > 0 && code[0] < kMaxCodeSize && code[0] < size && code[code[0]] == kEndMarker;
}

void EncodeFileOperand(uint16_t targetRow, uint16_t targetColumn, bool absoluteRow,
                       bool absoluteColumn, uint16_t baseRow, uint16_t baseColumn, uint8_t* out) {
  auto word = [](uint16_t target, uint16_t base, bool absolute) -> uint16_t {
    if (absolute) return target & 0x1FFF;
    return uint16_t(0x8000 | ((target - base) & 0x3FFF));
  };
  WriteWord(out, word(targetColumn, baseColumn, absoluteColumn));
  WriteWord(out + 2, word(targetRow, baseRow, absoluteRow));
}

void DecodeFileOperand(const uint8_t* operand, uint16_t baseRow, uint16_t baseColumn,
                       uint16_t* row, uint16_t* column, bool* absoluteRow, bool* absoluteColumn) {
  auto position = [](uint16_t word, uint16_t base) -> uint16_t {
    // A relative word is a 14-bit offset; added to the base, the bits above 0x1FFF fall away.
    return (word & 0x8000) ? uint16_t((base + word) & 0x1FFF) : uint16_t(word & 0x1FFF);
  };
  uint16_t columnWord = ReadWord(operand);
  uint16_t rowWord = ReadWord(operand + 2);
  *column = position(columnWord, baseColumn);
  *row = position(rowWord, baseRow);
  *absoluteColumn = (columnWord & 0x8000) == 0;
  *absoluteRow = (rowWord & 0x8000) == 0;
}

bool CodeToFileForm(const uint8_t* code, uint16_t row, uint16_t column, uint8_t* out) {
  const size_t size = CodeBufferSize(code);
  std::memcpy(out, code, size);
  return ForEachOperand(out, size, [&](uint8_t* p) {
    OperandToFileForm(p, row, column);
    return true;
  });
}

bool CodeToCellForm(uint8_t* code, uint16_t row, uint16_t column) {
  // Converted on a copy, so that a failure leaves the code wholly in file form.
  uint8_t copy[kMaxCodeSize];
  const size_t size = CodeBufferSize(code);
  std::memcpy(copy, code, size);
  if (!ForEachOperand(copy, size, [&](uint8_t* p) { return OperandToCellForm(p, row, column); })) {
    return false;
  }
  std::memcpy(code, copy, size);
  return true;
}

bool VisitCellOperands(uint8_t* code, size_t size, const std::function<bool(uint8_t*)>& visit) {
  return ForEachOperand(code, size, visit);
}

bool CallsUserFunction(const uint8_t* code, size_t size) {
  CodeWalker walker(code, size);
  CodeToken token;
  while (walker.Next(&token)) {
    if (token.cls == kClassUserFunction) return true;
  }
  return false;
}

int TokenArgumentCount(const uint8_t* code, const CodeToken& token) {
  const uint8_t* p = code + token.operand;
  if (token.opcode == uint8_t(Op::kNamedRangeCall)) {
    if (p[0] == uint8_t(Op::kCellRef)) return 1;
    uint32_t ending = OperandHandle(ReadLong(p + 1));
    uint32_t starting = OperandHandle(ReadLong(p + 5));
    if (ending == 0 || starting == 0) return 1;
    int columns = int(CellAt(ending)->column) - int(CellAt(starting)->column);
    return (columns < 0 ? -columns : columns) + 1;
  }
  switch (token.cls) {
    case kClassConstant:
    case kClassCell:
    case kClassRange:
    case kClassEnd:
    case kClassInteger:
    case kClassString:
    case kClassExternal:
      return 0;
    case kClassParentheses:
    case kClassPrefix:
    case kClassPostfix:
      return 1;
    case kClassInfix:
      return 2;
    case kClassVariable:
      return p[0];
    case kClassUserFunction: {
      UserFunction f;
      return SheetFunctionAt(p[0], &f) ? f.argumentCount : 0;
    }
    default:
      return token.cls - kClassFixed0;
  }
}

bool CodeIsBalanced(const uint8_t* code, size_t size) {
  CodeWalker walker(code, size);
  CodeToken token;
  int depth = 0;
  while (walker.Next(&token)) {
    int taken = TokenArgumentCount(code, token);
    if (taken > depth) return false;
    depth += 1 - taken;
  }
  return walker.SawEndMarker() && depth == 1;
}

std::string DumpCode(const uint8_t* code, size_t size, CodeForm form) {
  std::string out;
  CodeWalker walker(code, size);
  CodeToken token;
  char buffer[64];
  auto separate = [&] {
    if (!out.empty()) out += ", ";
  };
  while (walker.Next(&token)) {
    separate();
    const uint8_t* p = code + token.operand;
    const uint8_t op = token.opcode;
    if (op == uint8_t(Op::kNamedRangeCall)) {
      out += "NamedRangeCall";
      AppendCellOperandDump(out, p + 1, form);
      if (p[0] == uint8_t(Op::kRangeRef)) AppendCellOperandDump(out, p + 5, form);
      continue;
    }
    switch (token.cls) {
      case kClassConstant:
        std::snprintf(buffer, sizeof buffer, "Constant %.17g", ReadDouble(p));
        out += buffer;
        break;
      case kClassCell:
        out += "CellRef";
        AppendCellOperandDump(out, p, form);
        break;
      case kClassRange:
        out += "RangeRef";
        AppendCellOperandDump(out, p, form);
        AppendCellOperandDump(out, p + 4, form);
        break;
      case kClassInteger:
        out += "Integer " + std::to_string(int16_t(ReadWord(p)));
        break;
      case kClassString:
        out += "String \"" + std::string(reinterpret_cast<const char*>(p), token.length - 1) + "\"";
        break;
      case kClassExternal:
        std::snprintf(buffer, sizeof buffer, "External %u,%u,%u,%u ", ReadWord(p), ReadWord(p + 2),
                      ReadWord(p + 4), ReadWord(p + 6));
        out += buffer;
        out += "[" + std::string(reinterpret_cast<const char*>(p + 8), token.length - 9) + "]";
        break;
      case kClassUserFunction:
        out += "UserFunction " + std::to_string(p[0]);
        break;
      default:
        if (op > 0x1A && op <= kLastNamedOpcode && !OpcodeName(op).empty()) {
          out += "@" + std::string(OpcodeName(op));
          if (token.cls == kClassVariable) out += "/" + std::to_string(p[0]);
        } else if (op > kLastNamedOpcode) {
          std::snprintf(buffer, sizeof buffer, "Opcode %02X", op);
          out += buffer;
        } else {
          out += kIdentifiers[op];
        }
        break;
    }
  }
  if (walker.SawEndMarker()) {
    separate();
    out += "End";
  } else if (walker.Broken()) {
    separate();
    out += "<broken at " + std::to_string(walker.Position()) + ">";
  } else {
    separate();
    out += "<no end>";
  }
  return out;
}
